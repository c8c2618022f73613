#include "Platform/Dispatch/DispatchTimer.h"
#include "Platform/Dispatch/MainLoop.h"
#include "support/DispatchWait.h"
#include "support/LogCapture.h"
#include "support/ScopedManualClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

namespace solen::platform {
namespace {

using namespace std::chrono_literals;
using test::drainGlobalQueue;
using test::waitUntil;

class DispatchTimerTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_TRUE(drainGlobalQueue());
        MainLoop::shared().runUntilIdle();
    }

    // Moves the manual clock and waits until the handed-over handlers have run.
    void advance(Clock::Duration by) {
        clock.advance(by);
        ASSERT_TRUE(drainGlobalQueue());
    }

    test::ScopedManualClock clock;
};

TEST_F(DispatchTimerTest, IsCreatedSuspendedAndFiresOnceAfterResume) {
    std::atomic<int> fired{0};
    auto timer = DispatchTimer::create();
    timer->schedule(2s);
    timer->setEventHandler([&] { fired.fetch_add(1); });
    advance(5s);
    EXPECT_EQ(fired.load(), 0);  // suspended: the deadline passed unseen
    timer->resume();             // ... and fires on resume
    ASSERT_TRUE(drainGlobalQueue());
    EXPECT_EQ(fired.load(), 1);
    advance(10s);
    EXPECT_EQ(fired.load(), 1);  // one-shot
    EXPECT_FALSE(timer->isCancelled());
}

TEST_F(DispatchTimerTest, AdvancingHandsTheFiringToTheTargetQueueBeforeReturning) {
    auto serial = DispatchQueue::createSerial("test.timer.target");
    std::atomic<int> fired{0};
    std::atomic<bool> onTarget{false};
    auto timer = DispatchTimer::create(serial);
    timer->setEventHandler([&] {
        onTarget = serial->isCurrent();
        fired.fetch_add(1);
    });
    timer->schedule(1s);
    timer->resume();
    clock.advance(999ms);
    serial->sync([] {});
    EXPECT_EQ(fired.load(), 0);
    clock.advance(1ms);
    serial->sync([] {});  // queued behind the handler handed over by advance
    EXPECT_EQ(fired.load(), 1);
    EXPECT_TRUE(onTarget);
}

TEST_F(DispatchTimerTest, RepeatingTimerDoesNotBuildABacklog) {
    std::atomic<int> fired{0};
    auto timer = DispatchTimer::create();
    timer->setEventHandler([&] { fired.fetch_add(1); });
    timer->schedule(1s, 1s);
    timer->resume();
    advance(10s);  // ten deadlines in one move: one firing
    EXPECT_EQ(fired.load(), 1);
    advance(1s);
    advance(1s);
    EXPECT_EQ(fired.load(), 3);
    timer->cancel();
    advance(5s);
    EXPECT_EQ(fired.load(), 3);
}

TEST_F(DispatchTimerTest, FiringsDuringASlowHandlerMergeIntoOne) {
    std::promise<void> release;
    std::shared_future<void> gate = release.get_future().share();
    std::atomic<int> started{0};
    auto timer = DispatchTimer::create();
    timer->setEventHandler([&] {
        if (started.fetch_add(1) == 0) {
            gate.wait();
        }
    });
    timer->schedule(1s, 1s);
    timer->resume();
    clock.advance(1s);
    ASSERT_TRUE(waitUntil([&] { return started.load() == 1; }));
    for (int i = 0; i < 5; ++i) {
        clock.advance(1s);  // the handler is still running
    }
    release.set_value();
    ASSERT_TRUE(drainGlobalQueue());
    EXPECT_EQ(started.load(), 2);  // one more run for all the merged firings, never two at once
    timer->cancel();
}

TEST_F(DispatchTimerTest, SuspendKeepsTheDeadlineAndNests) {
    std::atomic<int> fired{0};
    auto timer = DispatchTimer::create();
    timer->setEventHandler([&] { fired.fetch_add(1); });
    timer->schedule(3s);
    timer->resume();
    advance(1s);
    timer->suspend();
    timer->suspend();
    advance(1s);
    timer->resume();  // still suspended once
    advance(5s);
    EXPECT_EQ(fired.load(), 0);
    timer->resume();  // the deadline passed while suspended: fires now, not 3 s later
    ASSERT_TRUE(drainGlobalQueue());
    EXPECT_EQ(fired.load(), 1);
}

TEST_F(DispatchTimerTest, SuspendBeforeTheDeadlineAndResumeBeforeItFiresOnTime) {
    std::atomic<int> fired{0};
    auto timer = DispatchTimer::create();
    timer->setEventHandler([&] { fired.fetch_add(1); });
    timer->schedule(3s);
    timer->resume();
    timer->suspend();
    advance(1s);
    timer->resume();
    advance(1999ms);
    EXPECT_EQ(fired.load(), 0);
    advance(1ms);
    EXPECT_EQ(fired.load(), 1);
}

TEST_F(DispatchTimerTest, AFiringQueuedBeforeSuspendWaitsForResume) {
    auto serial = DispatchQueue::createSerial("test.timer.held");
    std::promise<void> release;
    serial->async([gate = release.get_future().share()] { gate.wait(); });
    std::atomic<int> fired{0};
    auto timer = DispatchTimer::create(serial);
    timer->setEventHandler([&] { fired.fetch_add(1); });
    timer->schedule(1s);
    timer->resume();
    clock.advance(1s);  // handler queued behind the gate
    timer->suspend();
    release.set_value();
    serial->sync([] {});
    EXPECT_EQ(fired.load(), 0);
    timer->resume();
    serial->sync([] {});
    EXPECT_EQ(fired.load(), 1);
}

TEST_F(DispatchTimerTest, RescheduleReplacesTheDeadline) {
    std::atomic<int> fired{0};
    auto timer = DispatchTimer::create();
    timer->setEventHandler([&] { fired.fetch_add(1); });
    timer->schedule(1s);
    timer->resume();
    timer->schedule(5s);
    advance(4s);
    EXPECT_EQ(fired.load(), 0);
    advance(1s);
    EXPECT_EQ(fired.load(), 1);
}

TEST_F(DispatchTimerTest, OverResumeIsLoggedAndIgnored) {
    test::LogCapture log;
    auto timer = DispatchTimer::create();
    timer->resume();
    timer->resume();
    EXPECT_TRUE(log.contains("resumed more often than it was suspended"));
}

TEST_F(DispatchTimerTest, CancelFromItsOwnHandlerStopsFurtherFirings) {
    std::atomic<int> fired{0};
    std::shared_ptr<DispatchTimer> timer = DispatchTimer::create();
    std::weak_ptr<DispatchTimer> weak = timer;
    timer->setEventHandler([&fired, weak] {
        fired.fetch_add(1);
        if (auto self = weak.lock()) {
            self->cancel();  // must not wait for itself
        }
    });
    timer->schedule(1s, 1s);
    timer->resume();
    advance(1s);
    advance(1s);
    EXPECT_EQ(fired.load(), 1);
    EXPECT_TRUE(timer->isCancelled());
}

TEST_F(DispatchTimerTest, ReleasingTheLastReferenceFromItsOwnHandlerIsSafe) {
    std::atomic<int> fired{0};
    auto holder = std::make_shared<std::shared_ptr<DispatchTimer>>(DispatchTimer::create());
    (*holder)->setEventHandler([&fired, holder] {
        fired.fetch_add(1);
        holder->reset();  // destroys the timer (cancel) from inside the handler
    });
    (*holder)->schedule(1s, 1s);
    (*holder)->resume();
    advance(1s);
    advance(1s);
    EXPECT_EQ(fired.load(), 1);
}

TEST_F(DispatchTimerTest, DestroyingATimerCancelsIt) {
    std::atomic<int> fired{0};
    auto captured = std::make_shared<int>(0);
    std::weak_ptr<int> weakCaptured = captured;
    {
        auto timer = DispatchTimer::create();
        timer->setEventHandler([&fired, captured] { fired.fetch_add(1); });
        timer->schedule(1s, 1s);
        timer->resume();
    }
    captured.reset();
    EXPECT_TRUE(weakCaptured.expired());  // the handler is released at once
    advance(3s);
    EXPECT_EQ(fired.load(), 0);
}

// Real time from here on: cancel racing firings on other threads.
class DispatchTimerRaceTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(drainGlobalQueue()); }
};

TEST_F(DispatchTimerRaceTest, NoHandlerStartsAfterCancelReturns) {
    for (int round = 0; round < 40; ++round) {
        std::atomic<bool> cancelReturned{false};
        std::atomic<bool> lateFiring{false};
        std::atomic<int> fired{0};
        auto timer = DispatchTimer::create(round % 2 == 0 ? DispatchQueue::global()
                                                          : DispatchQueue::createConcurrent("test.race"));
        timer->setEventHandler([&] {
            if (cancelReturned.load()) {
                lateFiring = true;
            }
            fired.fetch_add(1);
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        });
        timer->schedule(0s, 100us);
        timer->resume();
        waitUntil([&] { return fired.load() > 0; }, 5s);
        std::thread canceller([&] {
            timer->cancel();
            cancelReturned = true;
        });
        // Suspend and resume race the cancel from this thread.
        for (int i = 0; i < 20; ++i) {
            timer->suspend();
            timer->resume();
        }
        canceller.join();
        ASSERT_TRUE(drainGlobalQueue());
        EXPECT_FALSE(lateFiring) << "round " << round;
        EXPECT_TRUE(timer->isCancelled());
    }
}

TEST_F(DispatchTimerRaceTest, CancelWaitsForAHandlerRunningOnAnotherThread) {
    std::atomic<bool> inside{false};
    std::atomic<bool> finished{false};
    auto timer = DispatchTimer::create();
    timer->setEventHandler([&] {
        inside = true;
        std::this_thread::sleep_for(30ms);
        finished = true;
    });
    timer->schedule(0s);
    timer->resume();
    ASSERT_TRUE(waitUntil([&] { return inside.load(); }));
    timer->cancel();
    EXPECT_TRUE(finished);
}

TEST_F(DispatchTimerRaceTest, ManyTimersCreatedAndDestroyedFromManyThreads) {
    std::atomic<int> fired{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i) {
                auto timer = DispatchTimer::create();
                timer->setEventHandler([&] { fired.fetch_add(1); });
                timer->schedule(std::chrono::microseconds((i + t) % 5 * 200), 200us);
                timer->resume();
                std::this_thread::sleep_for(std::chrono::microseconds(i % 3 * 300));
                if (i % 2 == 0) {
                    timer->suspend();
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    ASSERT_TRUE(drainGlobalQueue());
    const int settled = fired.load();
    std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(drainGlobalQueue());
    EXPECT_EQ(fired.load(), settled);  // every timer was destroyed, so none fires any more
}

}  // namespace
}  // namespace solen::platform
