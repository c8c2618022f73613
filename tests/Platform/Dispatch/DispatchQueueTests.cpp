#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Dispatch/MainLoop.h"
#include "support/DispatchWait.h"
#include "support/LogCapture.h"
#include "support/ScopedManualClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace solen::platform {
namespace {

using namespace std::chrono_literals;
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
    std::size_t size() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return entries_.size();
    }

private:
    mutable std::mutex mutex_;
    std::vector<int> entries_;
};

// A gate that blocks run on until the test opens it.
class Gate {
public:
    void open() { promise_.set_value(); }
    void wait() const { future_.wait(); }

private:
    std::promise<void> promise_;
    std::shared_future<void> future_ = promise_.get_future().share();
};

class DispatchQueueTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_TRUE(drainGlobalQueue());
        MainLoop::shared().runUntilIdle();
    }
};

TEST_F(DispatchQueueTest, SerialQueueRunsBlocksOneAtATimeInSubmissionOrder) {
    auto queue = DispatchQueue::createSerial("test.serial");
    Journal journal;
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    for (int i = 0; i < 200; ++i) {
        queue->async([&, i] {
            if (inside.fetch_add(1) != 0) {
                overlapped = true;
            }
            journal.add(i);
            inside.fetch_sub(1);
        });
    }
    queue->sync([] {});
    std::vector<int> expected(200);
    for (int i = 0; i < 200; ++i) {
        expected[i] = i;
    }
    EXPECT_EQ(journal.entries(), expected);
    EXPECT_FALSE(overlapped);
}

TEST_F(DispatchQueueTest, SerialSyncRunsAfterEarlierBlocksOnTheCallersThread) {
    auto queue = DispatchQueue::createSerial("test.serial.sync");
    Journal journal;
    queue->async([&] {
        std::this_thread::sleep_for(20ms);
        journal.add(1);
    });
    std::thread::id ranOn;
    queue->sync([&] {
        journal.add(2);
        ranOn = std::this_thread::get_id();
    });
    EXPECT_EQ(journal.entries(), (std::vector<int>{1, 2}));
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_EQ(queue->syncResult([] { return 42; }), 42);
}

TEST_F(DispatchQueueTest, AsyncNeverRunsInline) {
    for (const auto& queue : {DispatchQueue::createSerial("test.inline"), DispatchQueue::createConcurrent("test.inline.c"),
                              DispatchQueue::global()}) {
        Gate gate;
        std::atomic<bool> ran{false};
        queue->async([&] {
            gate.wait();
            ran = true;
        });
        EXPECT_FALSE(ran.load()) << queue->label();
        gate.open();
        EXPECT_TRUE(waitUntil([&] { return ran.load(); })) << queue->label();
    }
}

TEST_F(DispatchQueueTest, ConcurrentQueueRunsBlocksSideBySide) {
    auto queue = DispatchQueue::createConcurrent("test.concurrent");
    std::atomic<int> inside{0};
    std::atomic<int> released{0};
    for (int i = 0; i < 3; ++i) {
        queue->async([&] {
            inside.fetch_add(1);
            // Each block waits until all three are inside: only possible when they run together.
            waitUntil([&] { return inside.load() == 3; }, 5s);
            released.fetch_add(1);
        });
    }
    EXPECT_TRUE(waitUntil([&] { return released.load() == 3; }));
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
    std::atomic<bool> barrierAlone{true};
    queue->asyncBarrier([&] {
        if (readersInside.load() != 4 || journal.size() != 4) {
            barrierAlone = false;
        }
        std::this_thread::sleep_for(10ms);
        journal.add(2);
    });
    for (int i = 0; i < 4; ++i) {
        queue->async([&] { journal.add(3); });
    }
    ASSERT_TRUE(waitUntil([&] { return readersInside.load() == 4; }));
    EXPECT_EQ(journal.size(), 0U);  // neither the barrier nor the later blocks started
    gate.open();
    queue->syncBarrier([] {});
    EXPECT_EQ(journal.entries(), (std::vector<int>{1, 1, 1, 1, 2, 3, 3, 3, 3}));
    EXPECT_TRUE(barrierAlone);
}

TEST_F(DispatchQueueTest, SyncBarrierRunsAloneOnTheCallersThread) {
    auto queue = DispatchQueue::createConcurrent("test.syncbarrier");
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    std::atomic<int> writes{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 100; ++i) {
                queue->async([&] {
                    inside.fetch_add(1);
                    std::this_thread::yield();
                    inside.fetch_sub(1);
                });
                queue->syncBarrier([&] {
                    if (inside.load() != 0) {
                        overlapped = true;
                    }
                    writes.fetch_add(1);
                });
                queue->sync([&] { std::this_thread::yield(); });
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(writes.load(), 400);
    EXPECT_FALSE(overlapped);
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

TEST_F(DispatchQueueTest, IsCurrentTellsWhichQueueRunsTheBlock) {
    auto serial = DispatchQueue::createSerial("test.current");
    auto other = DispatchQueue::createSerial("test.current.other");
    EXPECT_FALSE(serial->isCurrent());
    EXPECT_TRUE(DispatchQueue::main()->isCurrent());  // tests run on the main thread
    bool onSerial = false;
    bool onOther = false;
    bool nested = false;
    serial->sync([&] {
        onSerial = serial->isCurrent();
        onOther = other->isCurrent();
        other->sync([&] { nested = other->isCurrent() && serial->isCurrent(); });
    });
    EXPECT_TRUE(onSerial);
    EXPECT_FALSE(onOther);
    EXPECT_TRUE(nested);
    std::atomic<bool> globalCurrent{false};
    std::atomic<bool> mainCurrent{true};
    DispatchQueue::global()->async([&] {
        globalCurrent = DispatchQueue::global()->isCurrent();
        mainCurrent = DispatchQueue::main()->isCurrent();
    });
    ASSERT_TRUE(drainGlobalQueue());
    EXPECT_TRUE(globalCurrent);
    EXPECT_FALSE(mainCurrent);
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
    auto captured = std::make_shared<int>(5);
    std::weak_ptr<int> weakCaptured = captured;
    {
        auto queue = DispatchQueue::createSerial("test.released");
        weak = queue;
        queue->async([&] { gate.wait(); });
        for (int i = 0; i < 10; ++i) {
            queue->async([&ran, captured] { ran.fetch_add(*captured > 0 ? 1 : 0); });
        }
        queue->asyncAfter(5ms, [&ran] { ran.fetch_add(1); });
    }
    captured.reset();
    EXPECT_FALSE(weak.expired());  // pending blocks keep it
    gate.open();
    EXPECT_TRUE(waitUntil([&] { return ran.load() == 11; }));
    EXPECT_TRUE(waitUntil([&] { return weak.expired() && weakCaptured.expired(); }));
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
    EXPECT_EQ(journal.size(), 0U);

    clock.advance(1ms);  // exactly at the deadline: due
    serial->sync([] {});
    EXPECT_EQ(journal.entries(), (std::vector<int>{1}));

    clock.advance(10s);  // both remaining deadlines pass in one move
    serial->sync([] {});
    EXPECT_EQ(journal.entries(), (std::vector<int>{1, 2}));
    EXPECT_EQ(MainLoop::shared().runUntilIdle(), 1U);
    EXPECT_EQ(journal.entries(), (std::vector<int>{1, 2, 15}));
}

TEST_F(DispatchQueueTest, AsyncAfterReadsTheClockThatWasSharedWhenScheduled) {
    std::atomic<bool> ran{false};
    {
        test::ScopedManualClock clock;
        DispatchQueue::global()->asyncAfter(1h, [&] { ran = true; });
    }
    // The system clock is shared again; the block still waits for the manual clock's hour.
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(ran.load());

    std::atomic<bool> realRan{false};
    const auto start = std::chrono::steady_clock::now();
    DispatchQueue::global()->asyncAfter(30ms, [&] { realRan = true; });
    ASSERT_TRUE(waitUntil([&] { return realRan.load(); }));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 30ms);
}

TEST_F(DispatchQueueTest, DelayedBlocksRacingAClockMoveAreNotLost) {
    test::ScopedManualClock clock;
    std::atomic<int> ran{0};
    std::thread mover([&] {
        for (int i = 0; i < 200; ++i) {
            clock.advance(1ms);
        }
    });
    for (int i = 0; i < 200; ++i) {
        DispatchQueue::global()->asyncAfter(1ms, [&] { ran.fetch_add(1); });
    }
    mover.join();
    clock.advance(1ms);
    EXPECT_TRUE(waitUntil([&] { return ran.load() == 200; }));
}

}  // namespace
}  // namespace solen::platform
