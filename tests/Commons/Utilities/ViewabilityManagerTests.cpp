#include "Commons/Utilities/ViewabilityManager.h"
#include "Platform/Dispatch/MainLoop.h"
#include "support/MainLoopPump.h"
#include "support/ScopedApplication.h"
#include "support/ScopedManualClock.h"

#include <solen/ui/View.h>
#include <solen/ui/Window.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace solen {
namespace {

using platform::MainLoop;
using platform::Rect;
using platform::View;
using Mode = ViewVisibilityTrackingMode;

class ViewabilityTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = app.showKeyWindow(Rect(0, 0, 320, 480));
        container = View::create(Rect(20, 40, 300, 600));
        window->addSubview(container);
        view = View::create(Rect(0, 0, 100, 100));
        container->addSubview(view);
    }
    void TearDown() override { MainLoop::shared().runUntilIdle(); }

    void period(int count = 1) { test::pumpSteps(clock, count, ViewabilityManager::measurementInterval); }

    test::ScopedManualClock clock;
    test::ScopedApplication app;
    std::shared_ptr<platform::Window> window;
    std::shared_ptr<View> container;
    std::shared_ptr<View> view;
};

TEST_F(ViewabilityTest, VisibleRectAndHiddenOrDetachedViews) {
    view->setFrame(Rect(250, 390, 100, 100));  // window coordinates (270, 430): 50 x 50 inside
    EXPECT_EQ(ViewabilityManager::visibleRectInWindow(*view), Rect(270, 430, 50, 50));
    container->setBounds(Rect(0, 100, 300, 600));  // scrolled: the view moves up by 100
    EXPECT_EQ(ViewabilityManager::visibleRectInWindow(*view), Rect(270, 330, 50, 100));
    view->setAlpha(0);  // opacity is not considered
    EXPECT_TRUE(ViewabilityManager::isVisible(*view));
    for (const auto& hidden : {container, std::shared_ptr<View>(window), view}) {
        hidden->setHidden(true);
        EXPECT_FALSE(ViewabilityManager::isVisible(*view));
        hidden->setHidden(false);
    }
    container->removeFromSuperview();  // a superview, but no window
    EXPECT_FALSE(ViewabilityManager::isVisible(*view));
    EXPECT_FALSE(ViewabilityManager::isVisible(*window));  // no superview
}

TEST_F(ViewabilityTest, ThresholdRules) {
    view->setFrame(Rect(0, 390, 100, 100));  // lower half outside the window
    EXPECT_TRUE(ViewabilityManager::meetsVisibility(*view, Mode::percentage(0.5)));
    EXPECT_FALSE(ViewabilityManager::meetsVisibility(*view, Mode::percentage(0.6)));
    EXPECT_FALSE(ViewabilityManager::meetsVisibility(*view, Mode::percentage(50)));  // limited to the whole view
    EXPECT_TRUE(ViewabilityManager::meetsVisibility(*view, Mode::percentage(-3)));
    EXPECT_TRUE(ViewabilityManager::meetsVisibility(*view, Mode::pixels(5000)));
    EXPECT_FALSE(ViewabilityManager::meetsVisibility(*view, Mode::pixels(5001)));
    EXPECT_TRUE(ViewabilityManager::meetsVisibility(*view, Mode::pixels(-10)));

    view->setFrame(Rect(-119.5, 0, 100, 100));  // a sliver inside (the container sits at x 20)
    EXPECT_TRUE(ViewabilityManager::meetsVisibility(*view, std::nullopt));
    view->setFrame(Rect(-120, 0, 100, 100));  // touching the edge only
    EXPECT_FALSE(ViewabilityManager::meetsVisibility(*view, std::nullopt));
    view->setFrame(Rect(10, 10, 0, 0));  // no area to see
    EXPECT_FALSE(ViewabilityManager::meetsVisibility(*view, Mode::percentage(0.5)));
}

TEST_F(ViewabilityTest, ReportsEveryHalfSecondWhileTheOwnerRunsTheTimer) {
    auto manager = ViewabilityManager::create(view, Mode::percentage(0.5));
    std::vector<bool> reports;
    manager->setListener([&](bool visible) { reports.push_back(visible); });
    period(2);
    EXPECT_TRUE(reports.empty());  // not started

    manager->timer()->scheduleNow();
    period();
    container->setHidden(true);
    period();
    container->setHidden(false);
    manager->timer()->pause();
    period(3);
    manager->timer()->scheduleNow();
    period();
    EXPECT_THAT(reports, ::testing::ElementsAre(true, false, true));
}

TEST_F(ViewabilityTest, ReleasedViewOrManagerEndsTheMeasurements) {
    auto manager = ViewabilityManager::create(view, std::nullopt);
    int reports = 0;
    manager->setListener([&](bool) { ++reports; });
    manager->timer()->scheduleNow();
    period();
    view->removeFromSuperview();
    view.reset();
    period(3);
    EXPECT_EQ(reports, 1);
    EXPECT_FALSE(manager->timer()->isValid());

    auto other = ViewabilityManager::create(container, std::nullopt);
    other->setListener([&](bool) { ++reports; });
    std::weak_ptr<ResumableTimer> timer = other->timer();
    other->timer()->scheduleNow();
    other.reset();
    EXPECT_TRUE(timer.expired());
    period(3);
    EXPECT_EQ(reports, 1);
}

}  // namespace
}  // namespace solen
