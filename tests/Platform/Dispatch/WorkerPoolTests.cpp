#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Dispatch/DispatchTimer.h"
#include "Platform/Dispatch/WorkerPool.h"
#include "support/DispatchWait.h"
#include "support/Gate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>

namespace solen::platform {
namespace {

using namespace std::chrono_literals;
using test::Gate;
using test::waitUntil;

TEST(WorkerPoolTests, BlockedThreadsAreJoinedByNewOnesUpToTheLimitAndTheExtraOnesLeaveWhenIdle) {
    // Made once and never destroyed, like every pool.
    static auto* pool = new WorkerPool("test.growing", 2, 0ms, WorkerPool::Growth{4, 3ms, 200ms});
    Gate gate;
    std::atomic<int> blocked{0};
    const auto block = [&] {
        blocked.fetch_add(1);
        gate.wait();
        blocked.fetch_sub(1);
    };
    pool->submit(block);
    pool->submit(block);
    ASSERT_TRUE(waitUntil([&] { return blocked.load() == 2; }));

    // Both threads block: a later job still runs, on a thread added for it.
    std::atomic<bool> ran{false};
    pool->submit([&] { ran = true; });
    EXPECT_TRUE(waitUntil([&] { return ran.load(); }));

    // Never more than the limit: with four blocked, the fifth job waits for one of them.
    pool->submit(block);
    pool->submit(block);
    ASSERT_TRUE(waitUntil([&] { return blocked.load() == 4; }));
    std::atomic<bool> waited{false};
    pool->submit([&] { waited = true; });
    EXPECT_FALSE(waitUntil([&] { return waited.load(); }, 100ms));
    EXPECT_EQ(pool->threadCount(), 4u);

    gate.open();
    EXPECT_TRUE(waitUntil([&] { return waited.load() && blocked.load() == 0; }));
    EXPECT_TRUE(waitUntil([&] { return pool->threadCount() == 2u; }, 5s));
}

TEST(WorkerPoolTests, APoolWithoutGrowthKeepsItsSize) {
    static auto* pool = new WorkerPool("test.fixed", 1, 0ms);
    Gate gate;
    std::atomic<bool> started{false};
    pool->submit([&] {
        started = true;
        gate.wait();
    });
    ASSERT_TRUE(waitUntil([&] { return started.load(); }));
    std::atomic<bool> ran{false};
    pool->submit([&] { ran = true; });
    EXPECT_FALSE(waitUntil([&] { return ran.load(); }, 50ms));
    EXPECT_EQ(pool->threadCount(), 1u);
    gate.open();
    EXPECT_TRUE(waitUntil([&] { return ran.load(); }));
}

// The time-outs of the SDK fire on the global queue: one whose deadline passes while every thread
// of the global pool blocks (network adapters loading) fires all the same.
TEST(WorkerPoolTests, GlobalTimersFireWhileEveryGlobalThreadBlocks) {
    Gate gate;
    std::atomic<std::size_t> blocked{0};
    const std::size_t size = WorkerPool::global().maxThreads();
    for (std::size_t i = 0; i < size; ++i) {
        DispatchQueue::global()->async([&] {
            blocked.fetch_add(1);
            gate.wait();
        });
    }
    ASSERT_TRUE(waitUntil([&] { return blocked.load() >= size; }));

    std::atomic<int> fired{0};
    const auto timer = DispatchTimer::create(DispatchQueue::global());
    timer->setEventHandler([&] { fired.fetch_add(1); });
    timer->schedule(Clock::seconds(0.05));
    timer->resume();
    std::atomic<bool> hopped{false};
    DispatchQueue::global()->asyncAfter(Clock::seconds(0.05), [&] { hopped = true; });
    EXPECT_TRUE(waitUntil([&] { return fired.load() == 1 && hopped.load(); }, 3s));
    timer->cancel();
    gate.open();
    EXPECT_TRUE(test::drainGlobalQueue());
}

}  // namespace
}  // namespace solen::platform
