#include "Commons/Utilities/AdImpressionTimer.h"
#include "Platform/Dispatch/MainLoop.h"
#include "support/MainLoopPump.h"
#include "support/ScopedApplication.h"
#include "support/ScopedManualClock.h"

#include <solen/ui/View.h>
#include <solen/ui/Window.h>

#include <gtest/gtest.h>

#include <thread>

namespace solen {
namespace {

using platform::Application;
using platform::MainLoop;
using platform::Rect;
using platform::View;

class AdImpressionTimerTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = app.showKeyWindow(Rect(0, 0, 320, 480));
        container = View::create(Rect(0, 0, 320, 480));
        adView = View::create(Rect(10, 10, 100, 100));
        window->addSubview(container);
        container->addSubview(adView);
    }
    void TearDown() override { MainLoop::shared().runUntilIdle(); }

    std::shared_ptr<AdImpressionTimer> make(double seconds, ViewVisibilityTrackingMode mode) {
        return AdImpressionTimer::create(seconds, mode, [this](const std::shared_ptr<View>& view) {
            ++impressions;
            seenView = view;
        });
    }
    // One sampling period and a turn of the main loop.
    void sample(int count = 1) { test::pumpSteps(clock, count, AdImpressionTimer::sampleInterval); }

    test::ScopedManualClock clock;
    test::ScopedApplication app;
    std::shared_ptr<platform::Window> window;
    std::shared_ptr<View> container;
    std::shared_ptr<View> adView;
    int impressions = 0;
    std::shared_ptr<View> seenView;
};

TEST_F(AdImpressionTimerTest, FiresOnceAtLeastTheImpressionTimeAfterTheFirstVisibleSample) {
    auto timer = make(1, ViewVisibilityTrackingMode::percentage(1));
    timer->startTracking(adView);
    sample(10);  // first visible sample at 0.1 s, then 0.9 s of visibility
    timer->startTracking(View::create(Rect(0, 0, 10, 10)));  // only the first start counts
    EXPECT_EQ(impressions, 0);
    sample();
    EXPECT_EQ(impressions, 1);
    EXPECT_EQ(seenView, adView);
    EXPECT_EQ(timer->timer(), nullptr);
    timer->startTracking(adView);
    sample(30);
    EXPECT_EQ(impressions, 1);
}

TEST_F(AdImpressionTimerTest, AnyInterruptedSampleRestartsTheCount) {
    auto timer = make(0.5, ViewVisibilityTrackingMode::pixels(5000));
    auto instant = AdImpressionTimer::createWithRequiredViewVisibilityPercentage(0, 50, [&](const auto&) { ++impressions; });
    timer->startTracking(adView);
    const auto interruptions = std::vector<std::pair<std::function<void()>, std::function<void()>>>{
        {[&] { container->setHidden(true); }, [&] { container->setHidden(false); }},
        {[&] { adView->setFrame(Rect(400, 10, 100, 100)); }, [&] { adView->setFrame(Rect(10, 10, 100, 100)); }},
        {[&] { adView->setFrame(Rect(-60, 10, 100, 100)); }, [&] { adView->setFrame(Rect(10, 10, 100, 100)); }},  // 4000 < 5000
        {[&] { app.moveTo(Application::State::inactive); }, [&] { app.moveTo(Application::State::active); }},
    };
    for (const auto& [interrupt, restore] : interruptions) {
        sample(5);  // visible for 0.4 s of the 0.5 s
        interrupt();
        sample();
        restore();
    }
    EXPECT_EQ(impressions, 0);
    instant->startTracking(adView);
    sample();
    EXPECT_EQ(impressions, 0);  // zero impression time still needs a second visible sample
    sample();
    EXPECT_EQ(impressions, 1);
    sample(4);
    EXPECT_EQ(impressions, 2);
}

TEST_F(AdImpressionTimerTest, LosingTheViewOrTheTimerEndsTheSampling) {
    auto lost = make(0.2, ViewVisibilityTrackingMode::pixels(0));
    lost->startTracking(adView);
    sample();
    const auto sampling = lost->timer();
    adView->removeFromSuperview();
    adView.reset();
    sample();
    EXPECT_EQ(lost->timer(), nullptr);
    EXPECT_FALSE(sampling->isValid());

    int checks = 0;
    auto released = make(0.2, ViewVisibilityTrackingMode::pixels(0));
    released->setVisibilityCheck([&](const View&, const ViewVisibilityTrackingMode&) { return ++checks > 0; });
    std::thread([&] { released->startTracking(container); }).join();
    sample(2);
    EXPECT_EQ(checks, 2);
    released.reset();
    sample(5);
    EXPECT_EQ(checks, 2);
    EXPECT_EQ(impressions, 0);
}

}  // namespace
}  // namespace solen
