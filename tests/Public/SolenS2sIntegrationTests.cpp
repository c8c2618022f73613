// Server-to-server ads end to end: the public banner and interstitial against the local ad
// service's built-in server-to-server units, with pages run by the scripted web view. The banner's
// page expands itself and closes 300 ms later; the interstitial's page closes itself once shown,
// after its first line item (markup that is not base64) fell through to the next batch.
#if !defined(SOLEN_HAVE_ADSERVER)
#include <gtest/gtest.h>
TEST(SolenS2sIntegrationTests, NeedsTheTools) { GTEST_SKIP() << "built without the tools"; }
#else

#include "Platform/UI/Application.h"
#include "ScriptedWebView.h"
#include "adserver/AdService.h"
#include "support/DispatchWait.h"
#include "support/ProgramEnd.h"
#include "support/ScopedApplication.h"
#include "support/ScopedUserDefaults.h"
#include "support/SdkStartupOnce.h"

#include <solen/SolenBanner.h>
#include <solen/SolenInterstitial.h>
#include <solen/ui/Window.h>
#include <solen/ui/WebViewFactory.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace solen {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAreArray;

// The public callbacks of both formats, and every page's console lines, in one order.
struct Timeline final : SolenBannerDelegate, SolenInterstitialDelegate {
    std::shared_ptr<platform::ViewController> viewControllerForSolenBannerFullScreen() override { return nullptr; }
    void solenBannerDidLoad(SolenBanner&) override { add("bannerDidLoad"); }
    void solenBannerDidFailToLoad(SolenBanner&, const platform::Error& error) override {
        add("bannerDidFail " + std::to_string(error.code));
    }
    void solenBannerDidClick(SolenBanner&, const std::optional<nlohmann::ordered_json>&) override { add("bannerDidClick"); }
    void solenBannerUserWillLeaveApplication(SolenBanner&) override { add("bannerWillLeave"); }
    void solenBannerWillPresentScreen(SolenBanner&) override { add("bannerWillPresent"); }
    void solenBannerDidPresentScreen(SolenBanner&) override { add("bannerDidPresent"); }
    void solenBannerWillCollapseScreen(SolenBanner&) override { add("bannerWillCollapse"); }
    void solenBannerDidCollapseScreen(SolenBanner&) override { add("bannerDidCollapse"); }
    void solenBannerImpression(SolenBanner&, const std::optional<nlohmann::ordered_json>&) override { add("bannerImpression"); }

    void solenInterstitialDidLoad(SolenInterstitial&) override { add("interstitialDidLoad"); }
    void solenInterstitialDidFailToLoad(SolenInterstitial&, const platform::Error& error) override {
        add("interstitialDidFail " + std::to_string(error.code));
    }
    void solenInterstitialDidFailToDisplay(SolenInterstitial&, const platform::Error& error) override {
        add("interstitialDidFailToDisplay " + std::to_string(error.code));
    }
    void solenInterstitialDidClick(SolenInterstitial&, const std::optional<nlohmann::ordered_json>&) override {
        add("interstitialDidClick");
    }
    void solenInterstitialWillDisplay(SolenInterstitial&) override { add("interstitialWillDisplay"); }
    void solenInterstitialDidDisplay(SolenInterstitial&) override { add("interstitialDidDisplay"); }
    void solenInterstitialImpression(SolenInterstitial&, const std::optional<nlohmann::ordered_json>&) override {
        add("interstitialImpression");
    }
    void solenInterstitialWillDismiss(SolenInterstitial&) override { add("interstitialWillDismiss"); }
    void solenInterstitialDidDismiss(SolenInterstitial&) override { add("interstitialDidDismiss"); }

    void add(std::string event) { events.push_back(std::move(event)); }
    bool has(const std::string& event) const { return std::find(events.begin(), events.end(), event) != events.end(); }
    std::vector<std::string> events;
};

// The service's built-in scenario, the SDK initialised against it, and every ad web view a
// scripted one whose console lines go into `timeline`.
adserver::AdService& service(const std::shared_ptr<Timeline>& timeline) {
    static adserver::AdService* instance = [] {
        auto* started = new adserver::AdService();
        if (started->start()) ::setenv("SOLEN_SERVICE_BASE_URL", started->baseUrl().c_str(), 1);
        test::atProgramEnd([started] { started->stop(); });
        return started;
    }();
    platform::WebViewFactory::install([weak = std::weak_ptr<Timeline>(timeline)](platform::Rect frame,
                                                                                 platform::WebViewConfiguration config) {
        auto view = scripted::ScriptedWebView::create(frame, std::move(config));
        view->setConsoleObserver([weak](const std::string& line) {
            if (const auto events = weak.lock()) events->add("page: " + line);
        });
        return view;
    });
    return *instance;
}

// The tracker hits the service received.
std::vector<std::string> trackerHits(const std::vector<adserver::ServiceRequest>& requests) {
    std::vector<std::string> hits;
    for (const auto& request : requests) {
        if (request.path.rfind("/track/", 0) == 0) hits.push_back(request.target);
    }
    return hits;
}

class SolenS2sIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(service.isRunning());
        ASSERT_TRUE(test::initializeSdkOnce()) << service.timeline();
        window->setRootViewController(root);
        service.clearRequests();
    }
    void TearDown() override { platform::WebViewFactory::install(nullptr); }

    // Waits for the tracker hits to be exactly `expected`, each once. Trackers are sent side by
    // side, so they may arrive in any order.
    void expectTrackers(const std::vector<std::string>& expected) {
        service.waitFor([&](const auto& requests) { return trackerHits(requests).size() >= expected.size(); }, 5s);
        EXPECT_TRUE(test::settle());
        EXPECT_THAT(trackerHits(service.requests()), UnorderedElementsAreArray(expected)) << service.timeline();
    }

    test::ScopedUserDefaults defaults;
    test::ScopedApplication application;
    const std::shared_ptr<Timeline> timeline = std::make_shared<Timeline>();
    adserver::AdService& service = solen::service(timeline);
    const std::shared_ptr<platform::Window> window = application.showKeyWindow();
    const std::shared_ptr<platform::ViewController> root = platform::ViewController::create();
};

TEST_F(SolenS2sIntegrationTest, BannerWinsLoadsCountsItsImpressionExpandsAndClosesItself) {
    auto banner = SolenBanner::create("demo-s2s-banner", {320, 50}, timeline);
    root->view()->addSubview(banner);
    banner->load();
    ASSERT_TRUE(test::waitUntil([&] { return timeline->has("bannerDidCollapse"); }, 10s))
        << ::testing::PrintToString(timeline->events) << service.timeline();
    EXPECT_TRUE(test::settle());
    // The page is ready before the load is reported. It leaves the window for the full-screen
    // controller and is told it is on screen again twice: once as it enters the window, once as
    // the controller has appeared.
    EXPECT_THAT(timeline->events,
                ElementsAre("page: banner ready, placement inline", "bannerDidLoad", "bannerImpression",
                            "page: banner viewable true", "page: banner viewable false", "bannerWillPresent",
                            "page: banner viewable true", "page: banner viewable true", "bannerDidPresent",
                            "page: banner state expanded", "bannerWillCollapse", "page: banner viewable false",
                            "bannerDidCollapse", "page: banner viewable true", "page: banner state default"));
    // Back in its place at its size, nothing left on screen above the application.
    ASSERT_EQ(banner->subviews().size(), 1u);
    EXPECT_EQ(banner->subviews().front()->frame(), platform::Rect(0, 0, 320, 50));
    EXPECT_FALSE(root->presentedViewController());
    EXPECT_FALSE(platform::Application::shared().isStatusBarHidden());
    expectTrackers({"/track/fill?li=s2s-bn-1", "/track/impression?li=s2s-bn-1"});

    banner->removeFromSuperview();
    banner.reset();
    EXPECT_TRUE(test::settle());
}

// Controllers presented above the root, top-most last.
std::vector<std::shared_ptr<platform::ViewController>> presentedAbove(const std::shared_ptr<platform::ViewController>& root) {
    std::vector<std::shared_ptr<platform::ViewController>> stack;
    for (auto controller = root->presentedViewController(); controller; controller = controller->presentedViewController()) {
        stack.push_back(controller);
    }
    return stack;
}

TEST_F(SolenS2sIntegrationTest, OverlappingExpansionsAreAllDismissedAndTheirViewsReleased) {
    // Banners that expand as they become viewable and close themselves 300 ms later, one every
    // 100 ms: each expansion begins while others are presented or being dismissed.
    constexpr std::size_t count = 200;
    ASSERT_TRUE(test::settle());  // the SDK's own web views are made
    const std::size_t webViewsBefore = platform::WebView::liveCount();
    std::vector<std::shared_ptr<SolenBanner>> banners;
    for (std::size_t index = 0; index < count; ++index) {
        auto banner = SolenBanner::create("demo-s2s-banner", {320, 50}, timeline);
        root->view()->addSubview(banner);
        banner->load();
        banners.push_back(std::move(banner));
        test::waitUntil([] { return false; }, 100ms);
    }
    const auto seen = [&](const char* event) {
        return static_cast<std::size_t>(std::count(timeline->events.begin(), timeline->events.end(), event));
    };
    ASSERT_TRUE(test::waitUntil([&] { return seen("bannerDidLoad") == count; }, 10s)) << service.timeline();
    EXPECT_TRUE(test::settle());  // every page that expands has asked to by now
    const auto closed = [&] { return seen("bannerWillPresent") == seen("bannerDidCollapse") && presentedAbove(root).empty(); };
    EXPECT_TRUE(test::waitUntil(closed, 10s)) << presentedAbove(root).size() << " presented\n"
                                              << ::testing::PrintToString(timeline->events);
    EXPECT_TRUE(test::settle());
    EXPECT_TRUE(presentedAbove(root).empty());
    EXPECT_FALSE(platform::Application::shared().isStatusBarHidden());

    // Nothing holds an ad's page once its banner is gone. A page may be let go a little later
    // than its banner (by an exchange or a timer still under way), but it is let go.
    for (const auto& banner : banners) {
        banner->removeFromSuperview();
    }
    banners.clear();
    EXPECT_TRUE(test::settle());
    EXPECT_TRUE(test::waitUntil([&] { return platform::WebView::liveCount() == webViewsBefore; }, 5s))
        << platform::WebView::liveCount() << " web views alive, " << webViewsBefore << " before the banners";
}

TEST_F(SolenS2sIntegrationTest, BadMarkupFallsThroughAndTheInterstitialIsClosedByItsCreative) {
    const auto interstitial = SolenInterstitial::create("demo-s2s-interstitial", timeline);
    interstitial->load();
    ASSERT_TRUE(test::waitUntil([&] { return timeline->has("interstitialDidLoad"); }, 10s))
        << ::testing::PrintToString(timeline->events) << service.timeline();
    EXPECT_TRUE(interstitial->isReady());
    timeline->events.clear();
    expectTrackers({"/track/nofill?li=s2s-in-bad", "/track/fill?li=s2s-in-1"});

    interstitial->show(root);
    ASSERT_TRUE(test::waitUntil([&] { return timeline->has("interstitialDidDismiss"); }, 10s)) << service.timeline();
    EXPECT_TRUE(test::settle());
    EXPECT_THAT(timeline->events,
                ElementsAre("interstitialWillDisplay", "interstitialImpression", "page: interstitial viewable true",
                            "page: interstitial viewable true", "interstitialDidDisplay", "interstitialWillDismiss",
                            "page: interstitial viewable false", "interstitialDidDismiss"));
    EXPECT_FALSE(root->presentedViewController());
    EXPECT_FALSE(platform::Application::shared().isStatusBarHidden());
    expectTrackers({"/track/nofill?li=s2s-in-bad", "/track/fill?li=s2s-in-1", "/track/impression?li=s2s-in-1"});

    // Shown once: no longer ready although its renderer still holds the page, a second show is refused.
    EXPECT_FALSE(interstitial->isReady());
    interstitial->show(root);
    EXPECT_TRUE(test::settle());
    EXPECT_EQ(timeline->events.back().rfind("interstitialDidFailToDisplay", 0), 0u) << timeline->events.back();
    EXPECT_FALSE(root->presentedViewController());
}

}  // namespace
}  // namespace solen

#endif
