#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Dispatch/MainLoop.h"
#include "support/DispatchWait.h"
#include "support/Gate.h"
#include "support/LogCapture.h"
#include "support/ScopedManualClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <numeric>
#include <stdexcept>
#include <thread>
#include <vector>

namespace solen::platform {
namespace {

using namespace std::chrono_literals;
using test::Gate;
using test::drainGlobalQueue;
using test::waitUntil;

// Records the order in which blocks ran, from any thread.
class Journal {
public:
    void add(int value) {
        std::lock_guard<std::mutex> lock(mutex_);
        entries_.push_back(value);
    }
    std::vector<int> entries() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return entries_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<int> entries_;
};

class DispatchQueueTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_TRUE(drainGlobalQueue());
        MainLoop::shared().runUntilIdle();
    }
};

TEST_F(DispatchQueueTest, SerialQueueRunsOneAtATimeInOrderAndSyncRunsAfterOnTheCaller) {
    auto queue = DispatchQueue::createSerial("test.serial");
    Journal journal;
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    for (int i = 0; i < 200; ++i) {
        queue->async([&, i] {
            overlapped = overlapped || inside.fetch_add(1) != 0;
            journal.add(i);
            inside.fetch_sub(1);
        });
    }
    std::thread::id ranOn;
    queue->sync([&] {
        journal.add(200);
        ranOn = std::this_thread::get_id();
    });
    std::vector<int> expected(201);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(journal.entries(), expected);
    EXPECT_FALSE(overlapped);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_EQ(queue->syncResult([] { return 42; }), 42);
}

TEST_F(DispatchQueueTest, AsyncBarrierWaitsForEarlierBlocksAndHoldsLaterOnes) {
    auto queue = DispatchQueue::createConcurrent("test.barrier");
    Journal journal;
    Gate gate;
    std::atomic<int> readersInside{0};
    for (int i = 0; i < 4; ++i) {
        queue->async([&] {
            readersInside.fetch_add(1);
            gate.wait();
            journal.add(1);
        });
    }
    queue->asyncBarrier([&] {
        std::this_thread::sleep_for(10ms);  // later blocks that did not wait would slip in meanwhile
        journal.add(2);
    });
    for (int i = 0; i < 4; ++i) {
        queue->async([&] { journal.add(3); });
    }
    ASSERT_TRUE(waitUntil([&] { return readersInside.load() == 4; }));
    EXPECT_TRUE(journal.entries().empty());  // neither the barrier nor the later blocks started
    gate.open();
    queue->syncBarrier([] {});
    EXPECT_EQ(journal.entries(), (std::vector<int>{1, 1, 1, 1, 2, 3, 3, 3, 3}));
}

TEST_F(DispatchQueueTest, SyncFromEveryPoolThreadDoesNotStarve) {
    // More global blocks than pool threads, each waiting synchronously on private queues whose
    // earlier asynchronous blocks also need a thread.
    auto serial = DispatchQueue::createSerial("test.starve.serial");
    auto concurrent = DispatchQueue::createConcurrent("test.starve.concurrent");
    std::atomic<int> done{0};
    std::atomic<int> counter{0};
    constexpr int kBlocks = 64;
    for (int i = 0; i < kBlocks; ++i) {
        DispatchQueue::global()->async([&] {
            serial->async([&] { counter.fetch_add(1); });
            serial->sync([&] { counter.fetch_add(1); });
            concurrent->async([&] { counter.fetch_add(1); });
            concurrent->syncBarrier([&] { counter.fetch_add(1); });
            DispatchQueue::global()->sync([&] { counter.fetch_add(1); });
            done.fetch_add(1);
        });
    }
    EXPECT_TRUE(waitUntil([&] { return done.load() == kBlocks; }, 30s));
    EXPECT_TRUE(drainGlobalQueue());
    EXPECT_EQ(counter.load(), kBlocks * 5);
}

TEST_F(DispatchQueueTest, SyncOntoTheCurrentQueueRunsInlineInsteadOfHanging) {
    test::LogCapture log;
    auto serial = DispatchQueue::createSerial("test.reentrant");
    Journal journal;
    serial->sync([&] {
        journal.add(1);
        serial->sync([&] { journal.add(2); });
        journal.add(3);
    });
    EXPECT_EQ(journal.entries(), (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(log.contains("would deadlock"));

    auto concurrent = DispatchQueue::createConcurrent("test.reentrant.concurrent");
    int reads = 0;
    concurrent->sync([&] { concurrent->sync([&] { ++reads; }); });
    EXPECT_EQ(reads, 1);
}

TEST_F(DispatchQueueTest, ExceptionsEscapingBlocksAreLoggedAndTheQueueGoesOn) {
    test::LogCapture log;
    auto serial = DispatchQueue::createSerial("test.throwing");
    serial->async([] { throw std::runtime_error("boom"); });
    serial->sync([] { throw 7; });
    int after = 0;
    serial->sync([&] { after = 1; });
    DispatchQueue::global()->async([] { throw std::logic_error("global boom"); });
    ASSERT_TRUE(drainGlobalQueue());
    EXPECT_EQ(after, 1);
    EXPECT_TRUE(log.contains("test.throwing\": boom"));
    EXPECT_TRUE(log.contains("unknown type"));
    EXPECT_TRUE(log.contains("global boom"));
}

TEST_F(DispatchQueueTest, QueueReleasedWithPendingBlocksStillRunsThemAndIsFreed) {
    std::weak_ptr<DispatchQueue> weak;
    Gate gate;
    std::atomic<int> ran{0};
    {
        auto queue = DispatchQueue::createSerial("test.released");
        weak = queue;
        queue->async([&] { gate.wait(); });
        queue->async([&ran] { ran.fetch_add(1); });
        queue->asyncAfter(5ms, [&ran] { ran.fetch_add(1); });
    }
    EXPECT_FALSE(weak.expired());  // pending blocks keep it
    gate.open();
    EXPECT_TRUE(waitUntil([&] { return ran.load() == 2 && weak.expired(); }));
}

TEST_F(DispatchQueueTest, AsyncAfterOnTheManualClockIsHandedOverWhenTheClockPassesTheDeadline) {
    test::ScopedManualClock clock;
    auto serial = DispatchQueue::createSerial("test.after");
    Journal journal;
    serial->asyncAfter(2s, [&] { journal.add(2); });
    serial->asyncAfterSeconds(1.0, [&] { journal.add(1); });
    DispatchQueue::main()->asyncAfter(1500ms, [&] { journal.add(15); });

    clock.advance(999ms);
    serial->sync([] {});
    EXPECT_TRUE(journal.entries().empty());

    clock.advance(1ms);  // exactly at the deadline: due
    serial->sync([] {});
    EXPECT_EQ(journal.entries(), (std::vector<int>{1}));

    clock.advance(10s);  // both remaining deadlines pass in one move
    serial->sync([] {});
    EXPECT_EQ(journal.entries(), (std::vector<int>{1, 2}));
    EXPECT_EQ(MainLoop::shared().runUntilIdle(), 1U);
    EXPECT_EQ(journal.entries(), (std::vector<int>{1, 2, 15}));
}

}  // namespace
}  // namespace solen::platform
