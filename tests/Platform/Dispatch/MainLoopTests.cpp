#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Dispatch/RunLoopTimer.h"
#include "support/DispatchWait.h"
#include "support/ScopedManualClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace solen::platform {
namespace {

using namespace std::chrono_literals;

class MainLoopTest : public ::testing::Test {
protected:
    void SetUp() override { loop.runUntilIdle(); }
    void TearDown() override {
        loop.setCurrentMode(MainLoop::defaultMode);
        loop.runUntilIdle();
        EXPECT_EQ(loop.pendingCount(), 0U);
    }

    MainLoop& loop = MainLoop::shared();
};

TEST_F(MainLoopTest, AsyncNeverRunsInlineAndKeepsSubmissionOrder) {
    std::vector<int> order;
    loop.async([&] {
        order.push_back(1);
        loop.async([&] { order.push_back(3); });
    });
    loop.async([&] { order.push_back(2); });
    EXPECT_TRUE(order.empty());
    EXPECT_EQ(loop.pendingCount(), 2U);
    EXPECT_EQ(loop.runUntilIdle(), 3U);  // includes the block queued by a block
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(loop.runUntilIdle(), 0U);
}

TEST_F(MainLoopTest, SyncRunsInlineOnMainAndWaitsForMainFromOtherThreads) {
    bool inline_ = false;
    loop.sync([&] { inline_ = true; });
    EXPECT_TRUE(inline_);

    std::atomic<bool> ranOnMain{false};
    std::atomic<bool> returned{false};
    std::thread background([&] {
        loop.sync([&] { ranOnMain = loop.isMainThread(); });
        returned = true;
    });
    EXPECT_TRUE(loop.runUntil([&] { return returned.load(); }, 5s));
    background.join();
    EXPECT_TRUE(ranOnMain);
}

TEST_F(MainLoopTest, RunUntilChecksThePredicateAfterEveryBlockAndHonoursTheTimeout) {
    int ran = 0;
    for (int i = 0; i < 5; ++i) {
        loop.async([&] { ++ran; });
    }
    EXPECT_TRUE(loop.runUntil([&] { return ran == 2; }, 1s));
    EXPECT_EQ(ran, 2);
    EXPECT_EQ(loop.pendingCount(), 3U);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(loop.runUntil([] { return false; }, 30ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 30ms);
    EXPECT_EQ(ran, 5);
}

TEST_F(MainLoopTest, RunReturnsOnStopFromAnotherThreadAndAfterAnEarlierStop) {
    std::atomic<int> ran{0};
    std::thread feeder([&] {
        for (int i = 0; i < 10; ++i) {
            loop.async([&] { ran.fetch_add(1); });
        }
        loop.async([&] { loop.stop(); });
    });
    loop.run();
    feeder.join();
    EXPECT_EQ(ran.load(), 10);

    loop.stop();  // while not running: the next run ends at once
    loop.run();
}

class RunLoopTimerTest : public MainLoopTest {
protected:
    test::ScopedManualClock clock;
};

TEST_F(RunLoopTimerTest, OneShotTimerFiresOnceOnTheNextTurnAfterItsDate) {
    int fired = 0;
    auto timer = RunLoopTimer::scheduled(2s, false, [&](RunLoopTimer&) { ++fired; });
    clock.advance(1999ms);
    loop.runUntilIdle();
    EXPECT_EQ(fired, 0);
    clock.advance(1ms);
    EXPECT_EQ(fired, 0);  // due, but only the loop fires it
    loop.runUntilIdle();
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(timer->isValid());
    clock.advance(10s);
    loop.runUntilIdle();
    EXPECT_EQ(fired, 1);
}

TEST_F(RunLoopTimerTest, RepeatingTimerSkipsMissedFiringsAndKeepsItsGrid) {
    std::vector<Clock::TimePoint> firedAt;
    const auto start = clock.now();
    auto timer = RunLoopTimer::scheduled(1s, true, [&](RunLoopTimer&) { firedAt.push_back(clock.now()); });
    clock.advance(1s);
    loop.runUntilIdle();
    clock.advance(3500ms);  // three dates missed: one firing
    loop.runUntilIdle();
    EXPECT_EQ(firedAt.size(), 2U);
    EXPECT_EQ(timer->fireDate(), start + 5s);
    clock.advance(500ms);
    loop.runUntilIdle();
    EXPECT_EQ(firedAt.size(), 3U);
    timer->invalidate();
}

TEST_F(RunLoopTimerTest, DistantFutureHoldsATimerUntilItsDateIsSet) {
    int fired = 0;
    auto timer = RunLoopTimer::create(Clock::distantFuture(), 1s, false, [&](RunLoopTimer&) { ++fired; });
    loop.add(timer, MainLoop::defaultMode);
    clock.advance(std::chrono::hours(24 * 365));
    loop.runUntilIdle();
    EXPECT_EQ(fired, 0);
    timer->setFireDate(clock.now() + 400ms);
    clock.advance(400ms);
    loop.runUntilIdle();
    EXPECT_EQ(fired, 1);
}

TEST_F(RunLoopTimerTest, InvalidatingFromItsOwnBlockStopsARepeatingTimer) {
    int fired = 0;
    auto timer = RunLoopTimer::scheduled(1s, true, [&](RunLoopTimer& self) {
        if (++fired == 2) {
            self.invalidate();
        }
    });
    for (int i = 0; i < 5; ++i) {
        clock.advance(1s);
        loop.runUntilIdle();
    }
    EXPECT_EQ(fired, 2);
    EXPECT_FALSE(timer->isValid());
}

TEST_F(RunLoopTimerTest, TheLoopHoldsATimerUntilItIsInvalidated) {
    auto owned = std::make_shared<int>(1);
    std::weak_ptr<int> weakOwned = owned;
    std::weak_ptr<RunLoopTimer> weakTimer;
    {
        auto timer = RunLoopTimer::scheduled(1s, true, [owned](RunLoopTimer&) {});
        weakTimer = timer;
    }
    owned.reset();
    EXPECT_FALSE(weakTimer.expired());
    weakTimer.lock()->invalidate();
    EXPECT_TRUE(weakTimer.expired());
    EXPECT_TRUE(weakOwned.expired());  // the block and what it captured are gone too
}

TEST_F(RunLoopTimerTest, ModesDecideWhichTimersRun) {
    int defaultFired = 0;
    int commonFired = 0;
    auto inDefault = RunLoopTimer::create(1s, false, [&](RunLoopTimer&) { ++defaultFired; });
    auto inCommon = RunLoopTimer::create(1s, false, [&](RunLoopTimer&) { ++commonFired; });
    loop.add(inDefault, MainLoop::defaultMode);
    loop.add(inCommon, MainLoop::commonModes);
    clock.advance(1s);
    loop.setCurrentMode(MainLoop::trackingMode);  // as while the user scrolls
    loop.runUntilIdle();
    EXPECT_EQ(defaultFired, 0);
    EXPECT_EQ(commonFired, 1);
    loop.setCurrentMode(MainLoop::defaultMode);
    loop.runUntilIdle();
    EXPECT_EQ(defaultFired, 1);
}

TEST(RunLoopTimerRealClockTest, SettingTheFireDateFromAnotherThreadWakesASleepingRun) {
    auto& loop = MainLoop::shared();
    std::atomic<bool> fired{false};
    auto timer = RunLoopTimer::create(Clock::distantFuture(), 0s, false, [&](RunLoopTimer&) {
        fired = true;
        loop.stop();
    });
    loop.add(timer, MainLoop::commonModes);
    const auto start = std::chrono::steady_clock::now();
    std::thread setter([&] {
        std::this_thread::sleep_for(20ms);
        timer->setFireDate(Clock::shared()->now() + 10ms);
    });
    loop.run();  // sleeps with no deadline until the date is set
    setter.join();
    EXPECT_TRUE(fired);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 30ms);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

}  // namespace
}  // namespace solen::platform
