#include "Commons/Utilities/TimeKeeper.h"
#include "Platform/Dispatch/MainLoop.h"
#include "support/DispatchWait.h"
#include "support/ScopedManualClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <limits>
#include <thread>
#include <vector>

namespace solen {
namespace {

using namespace std::chrono_literals;
using test::drainGlobalQueue;
using test::waitUntil;

constexpr double kOneShot = std::numeric_limits<double>::infinity();

class TimeKeeperTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(drainGlobalQueue()); }

    void advance(std::chrono::milliseconds by) {
        clock.advance(by);
        ASSERT_TRUE(drainGlobalQueue());
    }

    test::ScopedManualClock clock;
    std::atomic<int> fired{0};
};

TEST_F(TimeKeeperTest, OneShotFiresOnceHalfASecondAfterResume) {
    auto keeper = TimeKeeper::create(0.5, kOneShot);
    keeper->setEventHandler([this] { fired.fetch_add(1); });
    EXPECT_EQ(keeper->state(), TimeKeeper::State::suspended);
    advance(10s);  // the countdown has not started: no platform timer yet
    keeper->resume();
    EXPECT_EQ(keeper->state(), TimeKeeper::State::resumed);
    advance(499ms);
    EXPECT_EQ(fired.load(), 0);
    advance(1ms);
    EXPECT_EQ(fired.load(), 1);
    advance(5s);
    EXPECT_EQ(fired.load(), 1);
    EXPECT_EQ(keeper->state(), TimeKeeper::State::resumed);  // stays resumed after firing
}

TEST_F(TimeKeeperTest, RepeatsEveryRepeatInterval) {
    auto keeper = TimeKeeper::create(1, 0.25);
    keeper->setEventHandler([this] { fired.fetch_add(1); });
    keeper->resume();
    advance(1s);
    advance(250ms);
    advance(250ms);
    EXPECT_EQ(fired.load(), 3);
}

TEST_F(TimeKeeperTest, NonPositiveOrNaNRepeatIntervalsMakeAOneShotTimer) {
    for (double repeat : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) {
        fired = 0;
        auto keeper = TimeKeeper::create(1, repeat);
        keeper->setEventHandler([this] { fired.fetch_add(1); });
        keeper->resume();
        advance(1s);
        advance(1s);
        EXPECT_EQ(fired.load(), 1) << repeat;
    }
}

TEST_F(TimeKeeperTest, SuspendedBeforeTheDeadlineAndReleasedNeverFires) {
    auto keeper = TimeKeeper::create(0.5, kOneShot);
    keeper->setEventHandler([this] { fired.fetch_add(1); });
    keeper->resume();
    advance(200ms);
    keeper->suspend();
    EXPECT_EQ(keeper->state(), TimeKeeper::State::suspended);
    auto platformTimer = keeper->timer();
    keeper.reset();
    EXPECT_TRUE(platformTimer->isCancelled());
    advance(5s);
    EXPECT_EQ(fired.load(), 0);
}

TEST_F(TimeKeeperTest, SuspendedPastTheDeadlineFiresAtOnceOnResume) {
    auto keeper = TimeKeeper::create(0.5, kOneShot);
    keeper->setEventHandler([this] { fired.fetch_add(1); });
    keeper->resume();
    advance(100ms);
    keeper->suspend();
    advance(2s);
    EXPECT_EQ(fired.load(), 0);
    keeper->resume();
    ASSERT_TRUE(drainGlobalQueue());
    EXPECT_EQ(fired.load(), 1);  // the deadline was not re-armed
}

TEST_F(TimeKeeperTest, RepeatedCallsInTheSameStateDoNothing) {
    auto keeper = TimeKeeper::create(1, kOneShot);
    keeper->setEventHandler([this] { fired.fetch_add(1); });
    keeper->suspend();  // never resumed: nothing to stop
    EXPECT_EQ(keeper->state(), TimeKeeper::State::suspended);
    keeper->resume();
    keeper->resume();  // a second resume must not unbalance the platform timer
    keeper->suspend();
    keeper->suspend();
    keeper->resume();
    advance(1s);
    EXPECT_EQ(fired.load(), 1);
}

TEST_F(TimeKeeperTest, ReleasingANeverResumedKeeperCancelsWithoutFiring) {
    auto keeper = TimeKeeper::create(0.1, kOneShot);
    keeper->setEventHandler([this] { fired.fetch_add(1); });
    auto platformTimer = keeper->timer();  // made now, still suspended
    keeper.reset();
    EXPECT_TRUE(platformTimer->isCancelled());
    advance(1s);
    EXPECT_EQ(fired.load(), 0);
}

TEST_F(TimeKeeperTest, TheHandlerIsReadWhenTheTimerFiresOffTheMainThread) {
    auto keeper = TimeKeeper::create(1, kOneShot);
    std::atomic<bool> onMain{true};
    keeper->setEventHandler([this] { fired.fetch_add(100); });
    keeper->resume();
    keeper->setEventHandler([&] {
        onMain = platform::MainLoop::shared().isMainThread();
        fired.fetch_add(1);
    });
    advance(1s);
    EXPECT_EQ(fired.load(), 1);
    EXPECT_FALSE(onMain);
    EXPECT_TRUE(static_cast<bool>(keeper->eventHandler()));
}

TEST(TimeKeeperRealClockTest, FiresOnTheSystemClockAndToleratesReleaseRacingFirings) {
    std::atomic<int> fired{0};
    {
        auto keeper = TimeKeeper::create(0.02, kOneShot);
        keeper->setEventHandler([&] { fired.fetch_add(1); });
        const auto start = std::chrono::steady_clock::now();
        keeper->resume();
        ASSERT_TRUE(waitUntil([&] { return fired.load() == 1; }));
        EXPECT_GE(std::chrono::steady_clock::now() - start, 20ms);
    }
    // Owners on several threads flip their keepers and release them while they fire.
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 40; ++i) {
                auto keeper = TimeKeeper::create(0.0002 * (i % 3), 0.0002);
                keeper->setEventHandler([&] { fired.fetch_add(1); });
                keeper->resume();
                std::this_thread::sleep_for(std::chrono::microseconds(300));
                keeper->suspend();
                keeper->resume();
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    ASSERT_TRUE(drainGlobalQueue());
    const int settled = fired.load();
    std::this_thread::sleep_for(5ms);
    EXPECT_EQ(fired.load(), settled);
}

TEST(TimeKeeperRealClockTest, StateChangesFromSeveralThreadsStayBalanced) {
    auto keeper = TimeKeeper::create(3600, kOneShot);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 500; ++i) {
                if ((i + t) % 2 == 0) {
                    keeper->resume();
                } else {
                    keeper->suspend();
                }
                (void)keeper->state();
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    keeper->resume();
    EXPECT_EQ(keeper->state(), TimeKeeper::State::resumed);
    keeper.reset();  // release in the resumed state
}

}  // namespace
}  // namespace solen
