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
    advance(500, 50);  // however long it stays in the background
    EXPECT_EQ(hits, 0);
    app.moveTo(Application::State::active);
    advance(19.5);
    EXPECT_EQ(hits, 0);
    advance(0.5);
    EXPECT_EQ(hits, 1);
    EXPECT_TRUE(logs.contains("[processBackround()]"));

    // A second background notification before the foreground one keeps the time left.
    timer->start();  // 20 s again
    advance(4);
    timer->processBackround();
    timer->processBackround();
    timer->processForeground();
    advance(15.5);
    EXPECT_EQ(hits, 1);
    advance(0.5);
    EXPECT_EQ(hits, 2);
}

TEST_F(TimerManagerTest, StartArmsOnMainBeforeReturningAndRegistersOnce) {
    auto timer = make(5);
    std::atomic<bool> armedOnReturn{false};
    std::thread worker([&] {
        timer->start();
        armedOnReturn = timer->timer() != nullptr && timer->timer()->isValid();
    });
    ASSERT_TRUE(test::waitUntil([&] { return timer->timer() != nullptr; }));
    worker.join();
    EXPECT_TRUE(armedOnReturn);
    timer->start();
    EXPECT_EQ(observers(), 2u);  // registered once
    advance(5);
    EXPECT_EQ(hits, 1);
}

TEST_F(TimerManagerTest, OwnerPauseSurvivesABackgroundCycleAndKeepsTheTimeLeft) {
    auto timer = make(30);
    timer->pause();  // before any start
    EXPECT_DOUBLE_EQ(timer->interval(), 30);
    timer->start();
    advance(10);
    timer->pause();
    timer->pause();  // no running timer: the time left is kept
    EXPECT_DOUBLE_EQ(timer->interval(), 20);
    app.moveTo(Application::State::background);
    app.moveTo(Application::State::active);
    EXPECT_EQ(timer->timer(), nullptr);
    advance(60, 5);
    EXPECT_EQ(hits, 0);
    timer->start();
    advance(20);
    EXPECT_EQ(hits, 1);
    timer->pause();  // after firing: the fired timer goes, the interval stays
    EXPECT_EQ(timer->timer(), nullptr);
    EXPECT_DOUBLE_EQ(timer->interval(), 20);
}

TEST_F(TimerManagerTest, TerminatedOrReleasedManagerLeavesNothingBehind) {
    auto timer = make(10);
    timer->start();
    advance(2);
    timer->terminateTimer();
    EXPECT_EQ(observers(), 0u);
    app.moveTo(Application::State::background);
    app.moveTo(Application::State::active);
    advance(20, 1);
    EXPECT_EQ(hits, 0);
    EXPECT_DOUBLE_EQ(timer->interval(), 8);

    timer->start();  // installs the observers again
    EXPECT_EQ(observers(), 2u);
    const auto runLoopTimer = timer->timer();
    timer.reset();
    EXPECT_FALSE(runLoopTimer->isValid());
    EXPECT_EQ(observers(), 0u);
    advance(10);
    EXPECT_EQ(hits, 0);
}

}  // namespace
}  // namespace solen
