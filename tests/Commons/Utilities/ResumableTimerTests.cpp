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

TEST_F(ResumableTimerTest, CountsFromScheduleNowWhichDoesNotPushAnActiveTimerBack) {
    auto timer = make(1, false);
    advance(10, 1);
    EXPECT_EQ(firings, 0);
    timer->scheduleNow();
    advance(0.7);
    timer->scheduleNow();
    advance(0.2);
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
    EXPECT_EQ(timer->state().kind, State::Case::paused);
    EXPECT_NEAR(timer->state().remaining, 0.4, 1e-9);
    advance(5);
    EXPECT_EQ(firings, 0);
    timer->scheduleNow();
    advance(0.3);
    EXPECT_EQ(firings, 0);
    advance(0.1);
    EXPECT_EQ(firings, 1);

    // Paused when due but before the loop turned: nothing left, fires on the next schedule.
    clock.advanceSeconds(1.5);
    timer->pause();
    EXPECT_EQ(timer->state(), State::paused(0));
    MainLoop::shared().runUntilIdle();
    EXPECT_EQ(firings, 1);
    timer->scheduleNow();
    MainLoop::shared().runUntilIdle();
    EXPECT_EQ(firings, 2);
}

TEST_F(ResumableTimerTest, ClosureSeesItsOwnStateAndMayPauseAndAReleasedTimerNeverFires) {
    bool validInside = true;
    auto oneShot = make(0.5, false, [&](ResumableTimer& t) {
        validInside = t.isValid();
        t.scheduleNow();  // complete: ignored
    });
    oneShot->scheduleNow();
    advance(2);
    EXPECT_EQ(firings, 1);
    EXPECT_FALSE(validInside);

    auto pausing = make(0.5, true, [](ResumableTimer& t) { t.pause(); });
    pausing->scheduleNow();
    advance(3);
    EXPECT_EQ(firings, 2);
    EXPECT_EQ(pausing->state().kind, State::Case::paused);

    // A released timer never fires.
    auto released = make(0.5, true);
    released->scheduleNow();
    released.reset();
    advance(2);
    EXPECT_EQ(firings, 2);
}

TEST_F(ResumableTimerTest, MutatorsFromManyThreadsStaySerialised) {
    auto timer = make(0.2, true);
    std::atomic<bool> stop{false};
    std::vector<std::thread> workers;
    for (int i = 0; i < 4; ++i) {
        workers.emplace_back([&, i] {
            while (!stop) {
                (i % 2 == 0) ? timer->scheduleNow() : timer->pause();
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
