#include "Commons/Utilities/MainQueue.h"
#include "Platform/Dispatch/MainLoop.h"
#include "support/DispatchWait.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

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

TEST(MainQueueTest, BlocksFromOneThreadRunInOrderOnTheMainThread) {
    std::vector<int> order;
    std::atomic<bool> allOnMain{true};
    std::thread producer([&] {
        for (int i = 0; i < 100; ++i) {
            performOnMainQueue([&, i] {
                allOnMain = allOnMain && platform::MainLoop::shared().isMainThread();
                order.push_back(i);
            });
        }
    });
    producer.join();
    EXPECT_TRUE(test::waitUntil([&] { return order.size() == 100; }));
    for (int i = 0; i < 100; ++i) {
        ASSERT_EQ(order[static_cast<std::size_t>(i)], i);
    }
    EXPECT_TRUE(allOnMain);
}

}  // namespace
}  // namespace solen
