#include "support/ProgramEnd.h"

#include <gtest/gtest.h>

#include <utility>

namespace solen::test {
namespace {

class ProgramEndStep final : public ::testing::Environment {
public:
    explicit ProgramEndStep(std::function<void()> step) : step_(std::move(step)) {}
    void TearDown() override {
        if (step_) std::exchange(step_, nullptr)();
    }

private:
    std::function<void()> step_;
};

}  // namespace

void atProgramEnd(std::function<void()> step) {
    // The test framework owns and tears down its environments, also those added while tests run.
    ::testing::AddGlobalTestEnvironment(new ProgramEndStep(std::move(step)));
}

}  // namespace solen::test
