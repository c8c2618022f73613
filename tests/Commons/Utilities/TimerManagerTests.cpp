#include "Commons/Utilities/TimerManager.h"
#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/UI/Application.h"
#include "support/DispatchWait.h"
#include "support/LogCapture.h"
#include "support/MainLoopPump.h"
#include "support/ScopedApplication.h"
#include "support/ScopedManualClock.h"

#include <gtest/gtest.h>

#include <thread>

namespace solen {
namespace {

using platform::Application;
using platform::MainLoop;
using platform::NotificationCenter;

class TimerManagerTest : public ::testing::Test {
protected:
    void TearDown() override { MainLoop::shared().runUntilIdle(); }

    std::shared_ptr<TimerManager> make(double interval) {
        return TimerManager::create(interval, true, [this](TimerManager&) { ++hits; });
    }
    void advance(double seconds, double step = 0.5) { test::advanceAndPump(clock, seconds, step); }
    static std::size_t observers() {
        return NotificationCenter::defaultCenter().observerCount(Application::didEnterBackgroundNotification) +
               NotificationCenter::defaultCenter().observerCount(Application::willEnterForegroundNotification);
    }

    test::ScopedManualClock clock;
    test::ScopedApplication app;
    int hits = 0;
};

TEST_F(TimerManagerTest, BackgroundStopsTheCountAndForegroundResumesIt) {
    test::LogCapture logs;
    auto timer = make(30);
    timer->start();
    advance(10);
    app.moveTo(Application::State::background);
    EXPECT_DOUBLE_EQ(timer->interval(), 20);
    EXPECT_EQ(timer->timer(), nullptr);
    advance(500, 50);  // however long it stays in the background
    EXPECT_EQ(hits, 0);

    app.moveTo(Application::State::active);
    advance(19.5);
    EXPECT_EQ(hits, 0);
    advance(0.5);
    EXPECT_EQ(hits, 1);
    EXPECT_TRUE(logs.contains("[processBackround()]"));
    EXPECT_TRUE(logs.contains("TimerManager didEnterBackgroundNotification"));
    EXPECT_TRUE(logs.contains("[processForeground()]"));
    EXPECT_TRUE(logs.contains("TimerManager willEnterForegroundNotification"));
}

TEST_F(TimerManagerTest, StartFromAnotherThreadArmsOnMainBeforeReturning) {
    auto timer = make(5);
    std::atomic<bool> armedOnReturn{false};
    std::thread worker([&] {
        timer->start();
        armedOnReturn = timer->timer() != nullptr && timer->timer()->isValid();
    });
    ASSERT_TRUE(test::waitUntil([&] { return timer->timer() != nullptr; }));
    worker.join();
    EXPECT_TRUE(armedOnReturn);
    advance(5);
    EXPECT_EQ(hits, 1);
}

TEST_F(TimerManagerTest, StartingAgainReArmsAndRegistersOnce) {
    auto timer = make(10);
    timer->start();
    advance(4);
    timer->start();  // re-armed with the full interval: nothing was paused
    advance(9);
    EXPECT_EQ(hits, 0);
    advance(1);
    EXPECT_EQ(hits, 1);
    EXPECT_EQ(observers(), 2u);
    EXPECT_TRUE(timer->notificationsRegistered());
}

TEST_F(TimerManagerTest, OwnerPauseSurvivesABackgroundCycle) {
    auto timer = make(30);
    timer->start();
    advance(10);
    timer->pause();
    EXPECT_DOUBLE_EQ(timer->interval(), 20);
    timer->pause();  // no running timer: the time left is kept
    EXPECT_DOUBLE_EQ(timer->interval(), 20);

    app.moveTo(Application::State::background);
    app.moveTo(Application::State::active);
    EXPECT_EQ(timer->timer(), nullptr);
    advance(60, 5);
    EXPECT_EQ(hits, 0);
    EXPECT_DOUBLE_EQ(timer->interval(), 20);

    timer->start();
    advance(20);
    EXPECT_EQ(hits, 1);
}

TEST_F(TimerManagerTest, PauseBeforeStartAndAfterFiringKeepsTheInterval) {
    auto timer = make(3);
    timer->pause();
    EXPECT_DOUBLE_EQ(timer->interval(), 3);
    timer->start();
    advance(3);
    EXPECT_EQ(hits, 1);
    ASSERT_NE(timer->timer(), nullptr);  // the fired timer stays until the next pause
    timer->pause();
    EXPECT_EQ(timer->timer(), nullptr);
    EXPECT_DOUBLE_EQ(timer->interval(), 3);
}

TEST_F(TimerManagerTest, TerminatedTimerIgnoresTheLifecycle) {
    auto timer = make(10);
    timer->start();
    advance(2);
    timer->terminateTimer();
    EXPECT_FALSE(timer->notificationsRegistered());
    EXPECT_EQ(observers(), 0u);
    app.moveTo(Application::State::background);
    app.moveTo(Application::State::active);
    advance(20, 1);
    EXPECT_EQ(hits, 0);
    EXPECT_DOUBLE_EQ(timer->interval(), 8);

    timer->start();  // installs the observers again
    EXPECT_EQ(observers(), 2u);
}

TEST_F(TimerManagerTest, ReleasedManagerLeavesNoTimerBehind) {
    auto timer = make(1);
    timer->start();
    const auto runLoopTimer = timer->timer();
    timer.reset();
    EXPECT_FALSE(runLoopTimer->isValid());
    EXPECT_EQ(observers(), 0u);
    advance(2);
    EXPECT_EQ(hits, 0);
}

TEST_F(TimerManagerTest, BackgroundedTwiceStillResumes) {
    auto timer = make(10);
    timer->start();
    advance(4);
    timer->processBackround();
    timer->processBackround();
    timer->processForeground();
    advance(5.5);
    EXPECT_EQ(hits, 0);
    advance(0.5);
    EXPECT_EQ(hits, 1);
}

}  // namespace
}  // namespace solen
