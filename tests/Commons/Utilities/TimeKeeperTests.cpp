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

constexpr double kOneShot = std::numeric_limits<double>::infinity();

class TimeKeeperTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_TRUE(drainGlobalQueue());
        EXPECT_FALSE(firedOnMain);  // handlers run on the global queue
    }

    std::shared_ptr<TimeKeeper> make(double deadline, double repeat) {
        auto keeper = TimeKeeper::create(deadline, repeat);
        keeper->setEventHandler([this] {
            firedOnMain = firedOnMain || platform::MainLoop::shared().isMainThread();
            fired.fetch_add(1);
        });
        return keeper;
    }
    void advance(std::chrono::milliseconds by) {
        clock.advance(by);
        ASSERT_TRUE(drainGlobalQueue());
    }

    test::ScopedManualClock clock;
    std::atomic<int> fired{0};
    std::atomic<bool> firedOnMain{false};
};

TEST_F(TimeKeeperTest, OneShotCountsFromResumeAndSuspendDoesNotReArmTheDeadline) {
    auto keeper = make(0.5, kOneShot);
    advance(10s);  // the countdown has not started
    keeper->suspend();  // never resumed: nothing to stop
    keeper->resume();
    keeper->resume();  // a second resume must not unbalance the platform timer
    advance(499ms);
    EXPECT_EQ(fired.load(), 0);
    advance(1ms);
    EXPECT_EQ(fired.load(), 1);
    advance(5s);
    EXPECT_EQ(fired.load(), 1);

    auto suspended = make(0.5, kOneShot);
    suspended->resume();
    advance(100ms);
    suspended->suspend();
    suspended->suspend();
    advance(2s);
    EXPECT_EQ(fired.load(), 1);
    suspended->resume();
    ASSERT_TRUE(drainGlobalQueue());
    EXPECT_EQ(fired.load(), 2);  // past the deadline: fires at once
}

TEST_F(TimeKeeperTest, RepeatIntervalAndItsUnusableValues) {
    const std::vector<std::pair<double, int>> cases{
        {0.25, 5}, {0.0, 1}, {-1.0, 1}, {std::numeric_limits<double>::quiet_NaN(), 1}};
    for (const auto& [repeat, expected] : cases) {
        fired = 0;
        auto keeper = make(1, repeat);
        keeper->resume();
        advance(1s);
        for (int i = 0; i < 4; ++i) {
            advance(250ms);
        }
        EXPECT_EQ(fired.load(), expected) << repeat;
    }
}

TEST_F(TimeKeeperTest, ReleasedKeeperCancelsItsTimerWhetherOrNotItRan) {
    for (const bool resumed : {false, true}) {
        auto keeper = make(0.5, kOneShot);
        if (resumed) {
            keeper->resume();
            advance(200ms);
            keeper->suspend();
        }
        auto platformTimer = keeper->timer();
        keeper.reset();
        EXPECT_TRUE(platformTimer->isCancelled());
        advance(5s);
        EXPECT_EQ(fired.load(), 0);
    }
}

TEST(TimeKeeperRealClockTest, FiresOnTheSystemClockAndToleratesRacingOwners) {
    std::atomic<int> fired{0};
    auto once = TimeKeeper::create(0.02, kOneShot);
    once->setEventHandler([&] { fired.fetch_add(1); });
    const auto start = std::chrono::steady_clock::now();
    once->resume();
    ASSERT_TRUE(test::waitUntil([&] { return fired.load() == 1; }));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 20ms);
    // Owners on several threads flip keepers and release them while they fire; one keeper is shared.
    auto shared = TimeKeeper::create(3600, kOneShot);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 40; ++i) {
                auto keeper = TimeKeeper::create(0.0002 * (i % 3), 0.0002);
                keeper->setEventHandler([&] { fired.fetch_add(1); });
                keeper->resume();
                std::this_thread::sleep_for(std::chrono::microseconds(300));
                keeper->suspend();
                keeper->resume();
                for (int j = 0; j < 10; ++j) {
                    ((i + j + t) % 2 == 0) ? shared->resume() : shared->suspend();
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    ASSERT_TRUE(test::drainGlobalQueue());
    const int settled = fired.load();
    std::this_thread::sleep_for(5ms);
    EXPECT_EQ(fired.load(), settled);
    shared->resume();
    EXPECT_EQ(shared->state(), TimeKeeper::State::resumed);
}

}  // namespace
}  // namespace solen
