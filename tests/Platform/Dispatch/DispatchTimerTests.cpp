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

TEST_F(DispatchTimerTest, IsCreatedSuspendedFiresOnceOnItsQueueAndRescheduleReplacesTheDeadline) {
    test::LogCapture log;
    auto serial = DispatchQueue::createSerial("test.timer.target");
    std::atomic<int> fired{0};
    std::atomic<bool> onTarget{false};
    auto timer = DispatchTimer::create(serial);
    timer->schedule(2s);
    timer->setEventHandler([&] {
        onTarget = serial->isCurrent();
        fired.fetch_add(1);
    });
    clock.advance(5s);
    serial->sync([] {});
    EXPECT_EQ(fired.load(), 0);  // suspended: the deadline passed unseen
    timer->resume();             // ... and fires on resume
    serial->sync([] {});
    EXPECT_EQ(fired.load(), 1);
    EXPECT_TRUE(onTarget);

    timer->schedule(1s);
    timer->schedule(5s);
    clock.advance(4999ms);
    serial->sync([] {});
    EXPECT_EQ(fired.load(), 1);
    clock.advance(1ms);   // hands the firing over before returning
    serial->sync([] {});  // queued behind the handler
    EXPECT_EQ(fired.load(), 2);
    clock.advance(10s);
    serial->sync([] {});
    EXPECT_EQ(fired.load(), 2);  // one-shot

    timer->resume();  // not suspended any more: ignored
    EXPECT_TRUE(log.contains("resumed more often than it was suspended"));
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
    advance(999ms);
    timer->resume();
    EXPECT_EQ(fired.load(), 0);
    advance(1ms);  // the original deadline, not 3 s after the resume
    EXPECT_EQ(fired.load(), 1);
}

TEST_F(DispatchTimerTest, CancelOrReleaseFromItsOwnHandlerStopsFurtherFirings) {
    std::atomic<int> fired{0};
    std::shared_ptr<DispatchTimer> cancelled = DispatchTimer::create();
    cancelled->setEventHandler([&fired, weak = std::weak_ptr<DispatchTimer>(cancelled)] {
        fired.fetch_add(1);
        if (auto self = weak.lock()) {
            self->cancel();  // must not wait for itself
        }
    });
    auto holder = std::make_shared<std::shared_ptr<DispatchTimer>>(DispatchTimer::create());
    (*holder)->setEventHandler([&fired, holder] {
        fired.fetch_add(1);
        holder->reset();  // destroys the timer (cancel) from inside the handler
    });
    for (const auto& timer : {cancelled, *holder}) {
        timer->schedule(1s, 1s);
        timer->resume();
    }
    advance(1s);
    advance(1s);
    EXPECT_EQ(fired.load(), 2);
    EXPECT_TRUE(cancelled->isCancelled());
}

TEST_F(DispatchTimerTest, DestroyingATimerCancelsItAndReleasesTheHandlerAtOnce) {
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
    EXPECT_TRUE(weakCaptured.expired());
    advance(3s);
    EXPECT_EQ(fired.load(), 0);
}

// Real time from here on: cancel racing firings on other threads.
class DispatchTimerRaceTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(drainGlobalQueue()); }
};

TEST_F(DispatchTimerRaceTest, NoHandlerRunsOrStartsAfterCancelReturns) {
    for (int round = 0; round < 40; ++round) {
        std::atomic<bool> cancelReturned{false};
        std::atomic<bool> late{false};
        std::atomic<int> inside{0};
        std::atomic<int> fired{0};
        auto timer = DispatchTimer::create(round % 2 == 0 ? DispatchQueue::global()
                                                          : DispatchQueue::createConcurrent("test.race"));
        timer->setEventHandler([&] {
            inside.fetch_add(1);
            late = late || cancelReturned.load();
            fired.fetch_add(1);
            std::this_thread::sleep_for(std::chrono::microseconds(50));
            inside.fetch_sub(1);
        });
        timer->schedule(0s, 100us);
        timer->resume();
        waitUntil([&] { return fired.load() > 0; }, 5s);
        std::thread canceller([&] {
            timer->cancel();  // waits for a handler running on another thread
            late = late || inside.load() != 0;
            cancelReturned = true;
        });
        // Suspend and resume race the cancel from this thread.
        for (int i = 0; i < 20; ++i) {
            timer->suspend();
            timer->resume();
        }
        canceller.join();
        ASSERT_TRUE(drainGlobalQueue());
        EXPECT_FALSE(late) << "round " << round;
        EXPECT_TRUE(timer->isCancelled());
    }
}

}  // namespace
}  // namespace solen::platform
