#include "Commons/Utilities/MainQueue.h"
#include "Platform/Dispatch/MainLoop.h"
#include "support/DispatchWait.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace solen {
namespace {

TEST(MainQueueTest, NeverRunsInlineEvenOnTheMainThread) {
    auto& loop = platform::MainLoop::shared();
    ASSERT_TRUE(loop.isMainThread());
    bool ran = false;
    performOnMainQueue([&] { ran = true; });
    EXPECT_FALSE(ran);
    loop.runUntilIdle();
    EXPECT_TRUE(ran);
}

TEST(MainQueueTest, BlocksFromAnotherThreadRunOnTheMainThread) {
    std::atomic<bool> onMain{false};
    std::thread([&] { performOnMainQueue([&] { onMain = platform::MainLoop::shared().isMainThread(); }); }).join();
    EXPECT_TRUE(test::waitUntil([&] { return onMain.load(); }));
}

}  // namespace
}  // namespace solen
