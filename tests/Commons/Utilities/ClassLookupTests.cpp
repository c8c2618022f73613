#include "Commons/Utilities/ClassLookup.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>

namespace solen {
namespace {

struct Adapter {
    virtual ~Adapter() = default;
};
struct FakeAdapter : Adapter {};

TEST(ClassLookupTests, FindsOnlyTheExactQualifiedName) {
    test::LogCapture log;
    auto scoped = platform::ClassRegistry::ScopedRegistration::of<FakeAdapter, Adapter>("SolenFakeAdapter.FakeAdapter");
    const auto found = classFromString("SolenFakeAdapter.FakeAdapter");
    ASSERT_TRUE(found);
    EXPECT_TRUE(found->create<Adapter>());
    EXPECT_FALSE(log.contains("Class Not found"));

    EXPECT_FALSE(classFromString("FakeAdapter"));
    EXPECT_TRUE(log.contains("[ClassLookup][classFromString()]::"));
    EXPECT_TRUE(log.contains("FakeAdapter Class Not found"));
}

}  // namespace
}  // namespace solen
