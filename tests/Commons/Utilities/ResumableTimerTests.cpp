#include "Commons/Utilities/ResumableTimer.h"
#include "Platform/Dispatch/MainLoop.h"
#include "support/MainLoopPump.h"
#include "support/ScopedManualClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace solen {
namespace {

using platform::MainLoop;
using State = ResumableTimer::State;

class ResumableTimerTest : public ::testing::Test {
protected:
    void TearDown() override { MainLoop::shared().runUntilIdle(); }

    std::shared_ptr<ResumableTimer> make(double interval, bool repeats, ResumableTimer::Closure extra = nullptr) {
        return ResumableTimer::create(interval, repeats, MainLoop::commonModes, [this, extra](ResumableTimer& t) {
            ++firings;
            if (extra) {
                extra(t);
            }
        });
    }
    void advance(double seconds, double step = 0.1) { test::advanceAndPump(clock, seconds, step); }

    test::ScopedManualClock clock;
    int firings = 0;
};

TEST_F(ResumableTimerTest, NothingFiresBeforeScheduleNow) {
    auto timer = make(1, false);
    EXPECT_EQ(timer->state(), State::ready());
    EXPECT_TRUE(timer->isValid());
    EXPECT_FALSE(timer->isCountdownActive());
    advance(10, 1);
    EXPECT_EQ(firings, 0);

    timer->scheduleNow();
    EXPECT_TRUE(timer->isCountdownActive());
    advance(0.9);
    EXPECT_EQ(firings, 0);
    advance(0.1);
    EXPECT_EQ(firings, 1);
    EXPECT_EQ(timer->state(), State::complete());
}

TEST_F(ResumableTimerTest, PauseKeepsTheRemainderAndRepeatsContinueAfterIt) {
    auto timer = make(1, true);
    timer->scheduleNow();
    advance(0.6);
    timer->pause();
    const State paused = timer->state();
    EXPECT_EQ(paused.kind, State::Case::paused);
    EXPECT_NEAR(paused.remaining, 0.4, 1e-9);
    advance(5);
    EXPECT_EQ(firings, 0);

    timer->scheduleNow();
    advance(0.3);
    EXPECT_EQ(firings, 0);
    advance(0.1);
    EXPECT_EQ(firings, 1);
    advance(1);
    EXPECT_EQ(firings, 2);
    advance(1);
    EXPECT_EQ(firings, 3);
}

TEST_F(ResumableTimerTest, PauseAfterTheFireDatePassedLeavesZero) {
    auto timer = make(1, true);
    timer->scheduleNow();
    clock.advanceSeconds(1.5);  // due, but the loop has not turned
    timer->pause();
    EXPECT_EQ(timer->state(), State::paused(0));
    MainLoop::shared().runUntilIdle();
    EXPECT_EQ(firings, 0);
    timer->scheduleNow();
    MainLoop::shared().runUntilIdle();
    EXPECT_EQ(firings, 1);
}

TEST_F(ResumableTimerTest, ScheduleNowDoesNotPushAnActiveTimerBack) {
    auto timer = make(1, false);
    timer->scheduleNow();
    advance(0.7);
    timer->scheduleNow();
    advance(0.3);
    EXPECT_EQ(firings, 1);
}

TEST_F(ResumableTimerTest, OneShotIsInvalidInsideItsClosureAndCannotRestart) {
    bool validInside = true;
    auto timer = make(0.5, false, [&](ResumableTimer& t) {
        validInside = t.isValid();
        t.scheduleNow();  // complete: ignored
    });
    timer->scheduleNow();
    advance(2);
    EXPECT_EQ(firings, 1);
    EXPECT_FALSE(validInside);

    auto other = make(0.5, true);
    other->invalidate();
    other->scheduleNow();
    other->pause();
    EXPECT_EQ(other->state(), State::complete());
    advance(2);
    EXPECT_EQ(firings, 1);
}

TEST_F(ResumableTimerTest, ClosureMayPauseItsOwnRepeatingTimer) {
    auto timer = make(0.5, true, [](ResumableTimer& t) { t.pause(); });
    timer->scheduleNow();
    advance(3);
    EXPECT_EQ(firings, 1);
    EXPECT_EQ(timer->state().kind, State::Case::paused);
}

TEST_F(ResumableTimerTest, ReleasedTimerNeverFires) {
    auto timer = make(0.5, true);
    timer->scheduleNow();
    timer.reset();
    advance(2);
    EXPECT_EQ(firings, 0);
}

TEST_F(ResumableTimerTest, CreatedOffTheMainThreadJoinsTheLoopLater) {
    std::shared_ptr<ResumableTimer> timer;
    std::thread([&] {
        timer = make(0.5, false);
        timer->scheduleNow();
    }).join();
    advance(0.5);
    EXPECT_EQ(firings, 1);
}

TEST_F(ResumableTimerTest, MutatorsFromManyThreadsStaySerialised) {
    auto timer = make(0.2, true);
    std::atomic<bool> stop{false};
    std::vector<std::thread> workers;
    for (int i = 0; i < 4; ++i) {
        workers.emplace_back([&, i] {
            while (!stop) {
                if (i % 2 == 0) {
                    timer->scheduleNow();
                } else {
                    timer->pause();
                }
                (void)timer->isValid();
            }
        });
    }
    test::pumpSteps(clock, 50, 0.1);
    stop = true;
    for (auto& worker : workers) {
        worker.join();
    }
    timer->invalidate();
    EXPECT_EQ(timer->state(), State::complete());
    const int seen = firings;
    advance(1);
    EXPECT_EQ(firings, seen);
}

}  // namespace
}  // namespace solen
