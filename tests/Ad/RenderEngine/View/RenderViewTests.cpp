#include "Ad/RenderEngine/Bridge/MRAIDBridgeScript.h"
#include "Ad/RenderEngine/Bridge/MRAIDJS.h"
#include "Ad/RenderEngine/View/RenderVC.h"
#include "Ad/RenderEngine/View/RenderView.h"
#include "Platform/Dispatch/MainLoop.h"
#include "Platform/UI/OrientationDriver.h"
#include "Platform/UI/Screen.h"
#include "ScriptedWebView.h"
#include "support/ScopedApplication.h"
#include <solen/ui/ViewController.h>
#include <solen/ui/WebView.h>
#include <solen/ui/Window.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace solen {
namespace {

using platform::Rect;
using platform::Size;
using ::testing::ElementsAre;
using Json = nlohmann::ordered_json;
namespace JS = MRAIDJS;

void pump() { platform::MainLoop::shared().runUntilIdle(); }

struct Recorder final : RenderStatusDelegate {
    void renderViewDidLoad(RenderView&) override { events.push_back("load"); }
    void renderViewDidFailWithError(RenderView&, const platform::Error& e) override { events.push_back("fail " + e.localizedDescription); }
    void renderViewWillLeaveApplication(RenderView&) override { events.push_back("leave"); }
    void renderViewDidFireAdReady(RenderView&) override { events.push_back("ready"); }
    void renderViewDidRecordImpression(RenderView&) override { events.push_back("impression"); }
    void renderViewWillPresentScreen(RenderView&) override { events.push_back("willPresent"); }
    void renderViewDidPresentScreen(RenderView&) override { events.push_back("didPresent"); }
    void renderViewWillDismissScreen(RenderView&) override { events.push_back("willDismiss"); }
    void renderViewDidDismissScreen(RenderView&) override { events.push_back("didDismiss"); }
    std::vector<std::string> events;
};

class RenderViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = application.showKeyWindow();
        root = platform::ViewController::create();
        window->setRootViewController(root);
        host = platform::View::create(Rect(10, 100, 320, 50));
        root->view()->addSubview(host);
    }
    std::shared_ptr<RenderView> loaded(AdsType type = AdsType::banner, Rect frame = Rect(0, 0, 320, 50)) {
        auto view = RenderView::create<BannerView>(AdViewConfig{type, frame}, recorder);
        seen = 0;
        view->loadAd("<html><body>ad</body></html>");
        pump();
        return view;
    }
    // A banner view whose page runs in the scripted web view, in the host.
    std::shared_ptr<RenderView> scriptedBanner() {
        const auto previous = platform::WebViewFactory::install(scripted::ScriptedWebView::maker());
        auto view = RenderView::create<BannerView>(AdViewConfig{AdsType::banner, Rect(0, 0, 320, 50)}, recorder);
        platform::WebViewFactory::install(previous);
        host->addSubview(view);
        return view;
    }
    // The scripts evaluated since the last call.
    std::vector<std::string> scripts(const RenderView& view) {
        const auto& all = view.webView()->webView()->evaluatedScripts();
        std::vector<std::string> fresh(all.begin() + static_cast<long>(seen), all.end());
        seen = all.size();
        return fresh;
    }

    test::ScopedApplication application;
    std::shared_ptr<platform::Window> window;
    std::shared_ptr<platform::ViewController> root;
    std::shared_ptr<platform::View> host;
    std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
    std::size_t seen = 0;
};

TEST_F(RenderViewTest, ReportsTheFirstPageOnceCountsOneImpressionAndTellsViewability) {
    auto view = loaded();
    EXPECT_EQ(view->webView()->webView()->loadedHTML().size(), 1u);
    EXPECT_EQ(view->status(), RenderViewStatus::ready);
    EXPECT_EQ(view->webView()->webView()->superview().get(), view.get());
    view->loadAd("");  // empty markup: nothing
    view->webView()->webView()->pageNavigate("https://example.com/next", platform::NavigationType::linkActivated);
    pump();
    EXPECT_THAT(recorder->events, ElementsAre("load"));
    // The bridge is a document-start script of the web view: it is never evaluated again.
    EXPECT_TRUE(view->isMRAIDIInjected());
    const auto& evaluated = view->webView()->webView()->evaluatedScripts();
    EXPECT_EQ(std::count(evaluated.begin(), evaluated.end(), std::string(mraidBridgeScript())), 0);

    scripts(*view);
    host->addSubview(view);
    view->removeFromSuperview();
    host->addSubview(view);
    pump();
    EXPECT_THAT(recorder->events, ElementsAre("load", "impression"));
    EXPECT_EQ(view->status(), RenderViewStatus::visible);
    EXPECT_EQ(view->adSuperView(), host);
    const std::vector<std::string> expected{JS::Methods::updateViewable(true).javaScript(),
                                            JS::Methods::updateViewable(false).javaScript(),
                                            JS::Methods::updateViewable(true).javaScript()};
    EXPECT_EQ(scripts(*view), expected);

    // Observed once: one resign gives one leave report and one viewable update.
    application.moveTo(platform::Application::State::background);
    pump();
    EXPECT_EQ(std::count(recorder->events.begin(), recorder->events.end(), "leave"), 1);
    EXPECT_EQ(scripts(*view), std::vector<std::string>{JS::Methods::updateViewable(false).javaScript()});
}

TEST_F(RenderViewTest, AFailedFirstPageIsReportedOnce) {
    auto view = RenderView::create(AdViewConfig{AdsType::banner, Rect(0, 0, 320, 50)}, recorder);
    view->webView()->webView()->setHoldsLoads(true);
    view->loadAd("<p>x</p>");
    pump();
    view->webView()->webView()->failLoad(platform::Error{"d", 1, "offline", {}, {}, Json::object()});
    view->webView()->webView()->failLoad(platform::Error{"d", 2, "again", {}, {}, Json::object()});
    pump();
    EXPECT_THAT(recorder->events, ElementsAre("fail offline"));
}

TEST_F(RenderViewTest, CloseButtonOriginsFollowThePosition) {
    const std::vector<std::pair<std::string, platform::Point>> table{
        {"top-right", {270, 0}},      {"top-left", {0, 0}},          {"top-center", {135, 0}}, {"bottom-right", {270, 200}},
        {"bottom-left", {0, 200}},   {"bottom-center", {135, 200}}, {"center", {135, 100}},   {"Top-Right", {0, 0}}};
    for (const auto& [position, origin] : table) {
        const platform::Point got = RenderView::closeButtonOrigin(position, 320, 250);
        EXPECT_EQ(got.x, origin.x) << position;
        EXPECT_EQ(got.y, origin.y) << position;
    }
}

TEST_F(RenderViewTest, ResizeMovesClampsAndClosesBackWithTheRightState) {
    struct Case {
        MRAIDResizeProperties properties;
        Rect frame;  // in the top-most view; none when nothing happens
        bool resized;
    };
    const double screenWidth = platform::Screen::main().bounds().size.width;  // 390
    const std::vector<Case> cases{
        {{300, 250, 5, 20, false, "bottom-center"}, Rect(15, 120, 300, 250), true},
        {{300, 250, 200, 0, false, "top-right"}, Rect(screenWidth - 300, 100, 300, 250), true},  // right edge on the edge
        {{300, 250, -50, -200, false, "top-right"}, Rect(0, 0, 300, 250), true},                // never negative
        {{300, 250, 200, 0, true, "top-right"}, Rect(210, 100, 300, 250), true},                // off screen allowed
        {{0, 250, 0, 0, false, "top-right"}, {}, false},
        {{std::nan(""), 250, 0, 0, false, "top-right"}, {}, false},
    };
    for (const AdsType type : {AdsType::banner, AdsType::native}) {
        for (const Case& c : cases) {
            recorder->events.clear();
            auto view = loaded(type);
            host->addSubview(view);
            pump();
            recorder->events.clear();
            view->resize(c.properties);
            if (!c.resized) {
                EXPECT_EQ(view->superview(), host);
                EXPECT_TRUE(recorder->events.empty());
                continue;
            }
            EXPECT_EQ(view->superview(), root->view());
            EXPECT_EQ(view->frame(), c.frame);
            EXPECT_EQ(view->status(), RenderViewStatus::resized);
            ASSERT_TRUE(view->closeButton());
            EXPECT_EQ(view->closeButton()->superview(), view->webView()->webView());
            EXPECT_THAT(recorder->events, ElementsAre("willPresent", "didPresent"));
            view->resize(c.properties);  // a second resize while resized: nothing
            pump();
            scripts(*view);
            view->closeButton()->sendActions(platform::Button::ControlEvent::touchUpInside);
            EXPECT_EQ(view->superview(), host);
            EXPECT_EQ(view->frame(), host->bounds());
            EXPECT_FALSE(view->closeButton());
            pump();
            const std::string state = type == AdsType::banner ? "ready" : "hidden";
            const std::vector<std::string> after = scripts(*view);
            ASSERT_FALSE(after.empty());
            EXPECT_EQ(after.back(), JS::Events::braodCastStateChanged(JS::defaultScheme, state).javaScript());
        }
    }
    auto interstitial = loaded(AdsType::interstitial);
    host->addSubview(interstitial);
    interstitial->resize(cases[0].properties);
    interstitial->expand(300, 300, std::nullopt);
    EXPECT_EQ(interstitial->superview(), host);
    EXPECT_FALSE(interstitial->vcToPresent());
}

TEST_F(RenderViewTest, ClosingAnInlineAdThatNeverMovedHidesIt) {
    auto view = loaded();
    host->addSubview(view);
    pump();
    scripts(*view);
    view->close();
    pump();
    EXPECT_TRUE(view->isHidden());
    EXPECT_EQ(view->status(), RenderViewStatus::hidden);
    EXPECT_EQ(scripts(*view), std::vector<std::string>{JS::Events::braodCastStateChanged(JS::defaultScheme, "hidden").javaScript()});
}

TEST_F(RenderViewTest, OnePartExpandPresentsFullScreenAndClosesBackToDefault) {
    auto view = loaded();
    host->addSubview(view);
    pump();
    recorder->events.clear();
    scripts(*view);
    view->expand(std::nullopt, -5.0, std::nullopt);  // absent and non-positive: full screen
    view->expand(100, 100, std::nullopt);             // pending: ignored
    pump();
    const auto vc = view->vcToPresent();
    ASSERT_TRUE(vc);
    EXPECT_EQ(root->presentedViewController(), vc);
    EXPECT_EQ(view->status(), RenderViewStatus::expanded);
    EXPECT_TRUE(application.application().isStatusBarHidden());
    EXPECT_EQ(view->frame(), Rect(0, 0, 390, 844));  // laid out below a hidden status bar
    EXPECT_THAT(recorder->events, ElementsAre("willPresent", "didPresent"));
    std::vector<std::string> all = scripts(*view);
    const std::vector<std::string> tail{JS::Events::broadCastSize(JS::defaultScheme, Size{390, 824}).javaScript(),
                                        JS::Events::broadCastDefaultPositionChanged(JS::defaultScheme, host->frame()).javaScript(),
                                        JS::Events::broadCastCurrentPositionChanged(JS::defaultScheme, Rect(0, 0, 390, 824)).javaScript(),
                                        JS::Events::braodCastStateChanged(JS::defaultScheme, "expanded").javaScript()};
    ASSERT_GE(all.size(), tail.size());
    EXPECT_EQ(std::vector<std::string>(all.end() - 4, all.end()), tail);
    ASSERT_TRUE(view->closeButton());
    EXPECT_EQ(view->closeButton()->frame(), Rect(340, 0, 50, 50));

    view->close();
    pump();
    EXPECT_FALSE(view->vcToPresent());
    EXPECT_FALSE(root->presentedViewController());
    EXPECT_FALSE(application.application().isStatusBarHidden());
    EXPECT_EQ(view->superview(), host);
    EXPECT_EQ(view->frame(), host->bounds());
    EXPECT_THAT(recorder->events, ElementsAre("willPresent", "didPresent", "willDismiss", "didDismiss"));
    all = scripts(*view);
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.back(), JS::Events::braodCastStateChanged(JS::defaultScheme, "ready").javaScript());
    EXPECT_EQ(std::count(recorder->events.begin(), recorder->events.end(), "impression"), 0);
}

TEST_F(RenderViewTest, OverlappingExpansionsEachEndWhateverWasPresentedMeanwhile) {
    const auto second = platform::View::create(Rect(10, 200, 320, 50));
    root->view()->addSubview(second);
    auto lower = loaded();
    auto upper = loaded();
    host->addSubview(lower);
    second->addSubview(upper);
    lower->expand(std::nullopt, std::nullopt, std::nullopt);
    pump();
    upper->expand(std::nullopt, std::nullopt, std::nullopt);  // presented above the first expansion
    pump();
    ASSERT_TRUE(lower->vcToPresent() && upper->vcToPresent());
    EXPECT_EQ(lower->vcToPresent()->presentedViewController(), upper->vcToPresent());

    // The lower ad closes: its own controller goes, the one above with it, and both ads are back.
    lower->close();
    upper->close();  // while that dismissal is under way
    pump();
    EXPECT_FALSE(root->presentedViewController());
    for (const auto& [view, place] : {std::pair{lower, host}, std::pair{upper, second}}) {
        EXPECT_FALSE(view->vcToPresent());
        EXPECT_EQ(view->superview(), place);
        EXPECT_EQ(view->status(), RenderViewStatus::visible);
        EXPECT_FALSE(view->closeButton());
    }

    // An expansion asked for while the top-most controller is being dismissed is refused and
    // leaves the ad where it was.
    lower->expand(std::nullopt, std::nullopt, std::nullopt);
    pump();
    const std::weak_ptr<RenderVC> lowerController = lower->vcToPresent();
    lower->close();
    upper->expand(std::nullopt, std::nullopt, std::nullopt);
    pump();
    EXPECT_FALSE(root->presentedViewController());
    EXPECT_FALSE(upper->vcToPresent());
    EXPECT_EQ(upper->superview(), second);
    EXPECT_EQ(upper->frame(), second->bounds());
    EXPECT_FALSE(lower->vcToPresent());
    EXPECT_TRUE(lowerController.expired());  // nothing holds the closed expansion
    EXPECT_FALSE(application.application().isStatusBarHidden());
}

TEST_F(RenderViewTest, TwoPartExpandShowsTheURLAndItsCloseClosesTheInlineExpansion) {
    auto view = loaded();
    host->addSubview(view);
    pump();
    recorder->events.clear();
    view->expand(300, 400, "not a url at all \x01");
    view->expand(300, 400, "tel:123");
    pump();
    EXPECT_FALSE(view->vcToPresent());
    view->expand(300, 400, "https://example.com/expanded");
    pump();
    const auto vc = view->vcToPresent();
    ASSERT_TRUE(vc);
    const auto shown = vc->renderView();
    ASSERT_NE(shown, view);
    EXPECT_EQ(view->superview(), host);  // the inline view stays
    ASSERT_TRUE(shown->expandURL());
    ASSERT_EQ(shown->webView()->webView()->loadedRequests().size(), 1u);
    ASSERT_TRUE(shown->closeButton());
    EXPECT_EQ(shown->closeButton()->frame(), Rect(320 - 50, 0, 50, 50));
    // Only the presentation passes up from the shown view; its load and impression stay with it.
    EXPECT_THAT(recorder->events, ElementsAre("willPresent", "didPresent"));

    shown->closeButton()->sendActions(platform::Button::ControlEvent::touchUpInside);
    pump();
    EXPECT_FALSE(view->vcToPresent());
    EXPECT_FALSE(root->presentedViewController());
    EXPECT_THAT(recorder->events, ElementsAre("willPresent", "didPresent", "willDismiss", "didDismiss"));
}

TEST_F(RenderViewTest, CloseWhileAVideoPlaysClosesOnlyTheVideo) {
    auto view = loaded();
    host->addSubview(view);
    pump();
    view->playVideo(nullptr);
    EXPECT_FALSE(view->mediaManager());
    view->playVideo(Json{{"url", "https://example.com/v.mp4"}});
    ASSERT_TRUE(view->mediaManager() && view->mediaManager()->mediaPlayer());
    view->close();
    pump();
    EXPECT_FALSE(view->mediaManager());
    EXPECT_FALSE(view->isHidden());
    view->playVideo(Json{{"nourl", 1}});  // a manager without a player
    view->close();
    pump();
    EXPECT_FALSE(view->mediaManager());
    EXPECT_TRUE(view->isHidden());
}

TEST_F(RenderViewTest, FullScreenControllerFollowsTheOrientationRecord) {
    using O = platform::InterfaceOrientation;
    using M = platform::InterfaceOrientationMask;
    struct Case {
        MRAIDOrientationPropertites record;
        O device;
        bool autorotate;
        unsigned mask;
        O preferred;
    };
    const std::vector<Case> cases{
        {{false, "portrait", "none"}, O::portrait, false, 6, O::portrait},
        {{false, "portrait", "none"}, O::portraitUpsideDown, false, 6, O::portraitUpsideDown},
        {{true, "landscape", "left"}, O::portrait, true, 16, O::landscapeLeft},
        {{true, "landscape", "left"}, O::landscapeRight, true, 8, O::landscapeRight},
        {{true, "landscape", "right"}, O::portrait, true, 8, O::landscapeRight},
        {{true, "landscape", ""}, O::portrait, true, 8, O::landscapeRight},
        {{true, "Landscape", "left"}, O::landscapeLeft, true, 30, O::landscapeLeft},
        {{true, "none", "none"}, O::portrait, true, 30, O::portrait},
    };
    auto view = loaded(AdsType::interstitial);
    const auto vc = RenderVC::create(view, view->mraidAction());
    EXPECT_EQ(vc->supportedInterfaceOrientations(), M::all);
    EXPECT_EQ(vc->preferredInterfaceOrientationForPresentation(), O::portrait);
    for (const Case& c : cases) {
        application.application().setStatusBarOrientation(c.device);
        view->mraidAction()->setAdOrientationProperties(c.record);
        EXPECT_EQ(vc->shouldAutorotate(), c.autorotate) << c.record.forceOrientation;
        EXPECT_EQ(static_cast<unsigned>(vc->supportedInterfaceOrientations()), c.mask) << c.record.forceOrientation;
        EXPECT_EQ(vc->preferredInterfaceOrientationForPresentation(), c.preferred) << c.record.forceOrientation;
    }

    // Presented in portrait with a landscape-only record: the device turns, and then stays.
    application.application().setStatusBarOrientation(O::portrait);
    view->mraidAction()->setAdOrientationProperties(MRAIDOrientationPropertites{false, "landscape", "left"});
    root->present(vc, false, nullptr);
    pump();
    EXPECT_EQ(application.application().statusBarOrientation(), O::landscapeLeft);
    EXPECT_FALSE(platform::OrientationDriver::rotate(O::portrait));
    view->mraidAction()->setAdOrientationProperties(MRAIDOrientationPropertites{true, "none", "none"});
    EXPECT_TRUE(platform::OrientationDriver::rotate(O::portrait));

    // isLaunched is set before each completion runs.
    std::vector<bool> seenInCompletions;
    vc->present(platform::ViewController::create(), false, [&] { seenInCompletions.push_back(view->isLaunched()); });
    pump();
    vc->dismiss(false, [&] { seenInCompletions.push_back(view->isLaunched()); });
    pump();
    EXPECT_THAT(seenInCompletions, ElementsAre(true, false));
}

TEST_F(RenderViewTest, HostilePagesStillCloseTheirAdWithALaterCall) {
    struct Case {
        const char* what;
        std::string markup;
        std::vector<std::string> scriptErrors;  // what the page's scripts threw
        Json errorEvents;                       // what the page heard, as "message action"
    };
    const std::string listener = "<script>var errors = [];"
                                 "mraid.addEventListener('error', function (message, action) { errors.push(message + ' ' + action); });"
                                 "</script>";
    const std::vector<Case> cases{
        {"a call over the message limit is refused and the page's queue moves on",
         listener + "<script>var picture = 'AAAA'; while (picture.length < 1100000) picture += picture;"
                    "mraid.storePicture('data:image/png;base64,' + picture); mraid.close();</script>",
         {},
         Json::parse(R"(["message too large storePicture"])")},
        {"a script that never ends is stopped and the next one runs",
         listener + "<script>while (true) {}</script><script>mraid.close();</script>",
         {"RangeError: execution timeout"},
         Json::array()},
    };
    for (const Case& c : cases) {
        const auto view = scriptedBanner();
        view->loadAd(c.markup);
        ASSERT_TRUE(platform::MainLoop::shared().runUntil([&] { return view->status() == RenderViewStatus::hidden; },
                                                          std::chrono::seconds(10)))
            << c.what;
        EXPECT_TRUE(view->isHidden()) << c.what;
        const auto page = std::dynamic_pointer_cast<scripted::ScriptedWebView>(view->webView()->webView());
        EXPECT_EQ(page->scriptErrors(), c.scriptErrors) << c.what;
        platform::WebView::ScriptResult errors;
        page->evaluateJavaScript("errors", [&](auto result, auto error) { errors = {result, error}; });
        pump();
        EXPECT_EQ(errors.result, c.errorEvents) << c.what;
        view->removeFromSuperview();
    }
}

TEST_F(RenderViewTest, ACreativeExpandsAndClosesItselfInTheScriptedWebView) {
    const auto view = scriptedBanner();
    view->loadAd("<script>var expanded = false;"
                 "mraid.addEventListener('viewableChange', function (v) {"
                 "  if (v && !expanded) { expanded = true; mraid.expand(); } });"
                 "mraid.addEventListener('stateChange', function (s) { console.log('state ' + s);"
                 "  if (s === 'expanded') { setTimeout(function () { mraid.close(); }, 300); } });</script>");
    const auto page = std::dynamic_pointer_cast<scripted::ScriptedWebView>(view->webView()->webView());
    ASSERT_TRUE(page);
    const auto closed = [&] {
        const auto& lines = page->consoleMessages();
        return std::find(lines.begin(), lines.end(), "state default") != lines.end();
    };
    host->removeFromSuperview();  // leave and enter the window once the page runs: viewable true
    pump();
    root->view()->addSubview(host);
    ASSERT_TRUE(platform::MainLoop::shared().runUntil(closed, std::chrono::seconds(5)));
    pump();
    EXPECT_THAT(page->consoleMessages(), ElementsAre("state expanded", "state default"));
    EXPECT_THAT(recorder->events, ElementsAre("impression", "load", "willPresent", "didPresent", "willDismiss", "didDismiss"));
    EXPECT_FALSE(view->vcToPresent());
    EXPECT_EQ(view->superview(), host);
}

}  // namespace
}  // namespace solen
