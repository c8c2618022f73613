#include "Ad/RenderEngine/Bridge/JavaScriptText.h"
#include "Ad/RenderEngine/MRAID/MRAIDAction.h"
#include "Ad/RenderEngine/OpenModes/QOSafariVC.h"
#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"
#include "Ad/RenderEngine/View/MWKWebview.h"
#include "Ad/RenderEngine/View/RenderViewCalls.h"
#include "Commons/Utilities/StringBoolValue.h"
#include "Platform/Dispatch/MainLoop.h"
#include "Platform/UI/Screen.h"
#include "ScriptedWebView.h"
#include "support/LogCapture.h"
#include "support/ScopedApplication.h"
#include <solen/ui/WebViewFactory.h>
#include <solen/ui/Window.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace solen {
namespace {

using ::testing::ElementsAre;
using Json = nlohmann::ordered_json;

void pump() { platform::MainLoop::shared().runUntilIdle(); }

std::string text(std::optional<double> value) { return value ? JavaScriptText::number(*value) : "-"; }

// Records what the command handling asks of the view, as text.
struct RecordingRenderView final : AdRenderView {
    std::shared_ptr<platform::View> adSuperView() const override { return superView; }
    platform::Rect currentPosition() const override { return {5, 6, 7, 8}; }
    std::shared_ptr<platform::Window> keyWindow() const override { return window; }
    RenderViewStatus status() const override { return status_; }
    void setStatus(RenderViewStatus status) override { status_ = status; }
    void fireAdReady() override { calls.push_back("fireAdReady"); }
    void fireAdFailed() override { calls.push_back("fireAdFailed"); }
    void userWillLeaveApplication() override { calls.push_back("leave"); }
    void resize(const MRAIDResizeProperties& p) override {
        calls.push_back("resize " + p.encode().dump());
    }
    void expand(std::optional<double> w, std::optional<double> h, std::optional<std::string> url) override {
        calls.push_back("expand " + text(w) + " " + text(h) + " " + url.value_or("-"));
    }
    void updateCloseButton() override { calls.push_back("updateCloseButton"); }
    void close() override { calls.push_back("close"); }
    void playVideo(const AnyDictionary& params) override { calls.push_back("playVideo " + params.dump()); }

    std::shared_ptr<platform::View> superView;
    std::shared_ptr<platform::Window> window;
    RenderViewStatus status_ = RenderViewStatus::initiated;
    std::vector<std::string> calls;
};

class MRAIDActionTest : public ::testing::Test {
protected:
    void SetUp() override { make(AdsType::banner); }
    void TearDown() override { pump(); }
    void make(AdsType type) {
        wrapper = MWKWebview::create(AdViewConfig{type, platform::Rect(0, 0, 320, 50)});
        action = std::make_shared<MRAIDAction>(wrapper, wrapper->adConfig());
        action->setRenderView(view);
    }
    // What the page was sent since the last call.
    std::vector<std::string> sent() {
        pump();
        const auto& all = wrapper->webView()->evaluatedScripts();
        std::vector<std::string> fresh(all.begin() + static_cast<std::ptrdiff_t>(seen), all.end());
        seen = all.size();
        return fresh;
    }
    MRAIDCommandOutcome call(const std::string& command, std::optional<AnyDictionary> params = std::nullopt,
                             std::string scheme = "mraidview") {
        return action->handle(scheme, command, params);
    }

    test::ScopedApplication app;
    test::LogCapture log{5};
    std::shared_ptr<RecordingRenderView> view = std::make_shared<RecordingRenderView>();
    std::shared_ptr<MWKWebview> wrapper;
    std::shared_ptr<MRAIDAction> action;
    std::size_t seen = 0;
};

TEST_F(MRAIDActionTest, EachCommandReachesTheRenderViewOrFailsWithItsMessage) {
    const Json url = {{"url", "https://v.example/a.mp4"}};
    struct Case {
        std::optional<std::string> scheme;
        std::optional<std::string> command;
        std::optional<Json> params;
        std::string failure;     // empty: success
        std::string viewCall;    // empty: none
    } cases[] = {
        {"mraidview", "close", {}, "", "close"},
        {"qoaiview", "close", {}, "", "close"},
        {"mraid", "fireAdReady", {}, "", "fireAdReady"},
        {"qoraidview", "fireAdFailed", {}, "", "fireAdFailed"},
        {"mraidview", "playVideo", url, "", "playVideo " + url.dump()},
        {"mraidview", "playVideo", {}, "", "playVideo null"},
        {"mraidview", "resize", {}, "", R"(resize {"width":0.0,"height":0.0,"offsetX":0.0,"offsetY":0.0,"allowOffscreen":false,"closeButtonPosition":"top-right"})"},
        {"mraidview", "expand", Json{{"url", "https://e.example/"}}, "", "expand 390.0 824.0 https://e.example/"},
        {"mraidview", "expand", Json{{"url", 7}}, "", "expand 390.0 824.0 -"},
        {"mraidview", "log", {}, "", ""},
        {"mraidview", "expandprops", {}, "", ""},
        {"mraidview", "Close", {}, "not supported", ""},
        {"mraidview", "CLOSE", {}, "not supported", ""},
        {"mraidview", "storePicture", Json{{"uri", "x"}}, "not supported", ""},
        {"mraidview", std::nullopt, {}, "command can not be nil", ""},
        {"MRAID", "close", {}, "not supported scheme", ""},
        {std::nullopt, "close", {}, "not supported scheme", ""},
        {"https", "close", {}, "not supported scheme", ""},
    };
    for (const Case& c : cases) {
        view->calls.clear();
        const MRAIDCommandOutcome outcome = action->handle(c.scheme, c.command, c.params);
        const std::string what = c.scheme.value_or("-") + " " + c.command.value_or("-");
        EXPECT_EQ(outcome.message(), c.failure) << what;
        EXPECT_EQ(outcome.isSuccess(), c.failure.empty()) << what;
        EXPECT_EQ(view->calls, c.viewCall.empty() ? std::vector<std::string>{} : std::vector{c.viewCall}) << what;
    }
    EXPECT_EQ(log.count("[Native][Command] Not supported: "), 3u);
    EXPECT_TRUE(log.contains("[Native][Command] Not supported: Close"));
    EXPECT_TRUE(log.contains("[MRAIDCommand][process()]"));
    EXPECT_TRUE(log.contains("[MRAID] [Log] NA"));
    // Without the render view every command still succeeds and nothing is performed.
    view.reset();
    EXPECT_TRUE(call("close").isSuccess());
    EXPECT_TRUE(call("useCustomClose", Json{{"close", "true"}}).isSuccess());
    EXPECT_TRUE(action->useCustomClose());
}

TEST_F(MRAIDActionTest, PropertyCallsReadTextsAndKeepTheLastRecordThatDecoded) {
    // The bridge's own calls, every value a text.
    call("expandprops", Json{{"width", "300"}, {"height", "250.5"}, {"close", "true"}, {"isModal", "maybe"}});
    EXPECT_EQ(*action->adExpandProperties(), (MRAIDExpandProperties{300.0, 250.5, true, std::nullopt}));
    EXPECT_TRUE(action->useCustomClose());
    call("expandprops", Json{{"width", "nan"}, {"height", "1e400"}, {"close", "TRUE"}, {"isModal", "false"}});
    EXPECT_EQ(*action->adExpandProperties(), (MRAIDExpandProperties{0.0, 0.0, false, false}));
    EXPECT_FALSE(action->useCustomClose());
    call("expandprops", Json{{"width", 320}, {"height", " 480"}, {"close", true}, {"isModal", 1}});
    EXPECT_EQ(*action->adExpandProperties(), (MRAIDExpandProperties{320.0, 0.0, true, false}));

    call("resizeprops", Json{{"width", "300.5"}, {"height", "-inf"}, {"offsetX", "12px"}, {"offsetY", "0x10"},
                             {"allowOffscreen", "true"}, {"customClosePosition", "bottom-left"}});
    EXPECT_EQ(action->adResizeProperties()->encode(),
              Json::parse(R"({"width":300.5,"height":0.0,"offsetX":0.0,"offsetY":16.0,"allowOffscreen":true,"closeButtonPosition":"bottom-left"})"));
    call("resizeprops", Json{{"closeButtonPosition", "center"}, {"customClosePosition", "top-left"}, {"allowOffscreen", "yes"}});
    EXPECT_EQ(action->adResizeProperties()->closeButtonPosition, "center");
    EXPECT_FALSE(action->adResizeProperties()->allowOffScreen);

    call("orientprops", Json{{"allowOrientationChange", "false"}, {"forceOrientation", "landscape"}, {"direction", "left"}});
    const MRAIDOrientationPropertites stored{false, "landscape", "left"};
    EXPECT_EQ(*action->adOrientationProperties(), stored);
    log.clear();
    // Records that do not decode leave the stored ones and are still answered as successes.
    for (const Json& bad : {Json{{"allowOrientationChange", "yes"}, {"forceOrientation", "none"}, {"direction", "right"}},
                            Json{{"allowOrientationChange", true}, {"forceOrientation", "none"}},
                            Json{{"allowOrientationChange", true}, {"forceOrientation", 1}, {"direction", "right"}}, Json::array(),
                            Json{{"x", nullptr}}}) {
        EXPECT_TRUE(call("orientprops", bad).isSuccess()) << bad;
        EXPECT_EQ(*action->adOrientationProperties(), stored) << bad;
    }
    EXPECT_EQ(log.count("Unable to create a model from params: "), 5u);
    const MRAIDExpandProperties expand = *action->adExpandProperties();
    EXPECT_TRUE(call("expandprops", Json::array({1})).isSuccess());
    EXPECT_TRUE(call("expandprops").isSuccess());
    EXPECT_EQ(*action->adExpandProperties(), expand);
}

TEST_F(MRAIDActionTest, CustomCloseAndLayoutUseTheStoredRecords) {
    for (const auto& [params, expected] : std::vector<std::pair<std::optional<Json>, bool>>{
             {Json{{"close", "true"}}, true}, {Json{{"close", "TRUE"}}, false}, {Json{{"close", "1"}}, false},
             {Json{{"close", true}}, false}, {Json::object(), false}, {std::nullopt, false}}) {
        call("useCustomClose", params);
        EXPECT_EQ(action->useCustomClose(), expected) << (params ? params->dump() : "none");
        EXPECT_EQ(action->adExpandProperties()->useCustomClose, expected);
    }
    EXPECT_EQ(view->calls.size(), 6u);
    EXPECT_EQ(view->calls.front(), "updateCloseButton");
    // The record useCustomClose made is 0 by 0, so a later expand is not full screen.
    view->calls.clear();
    call("expand");
    EXPECT_THAT(view->calls, ElementsAre("expand 0.0 0.0 -"));
}

TEST_F(MRAIDActionTest, InitialPushAndReadyEvent) {
    make(AdsType::banner);
    view->superView = platform::View::create({10, 20, 320, 50});
    view->window = platform::Window::create({0, 0, 390, 700});
    action->pushInitialState();
    action->broadcastReady(MRAIDJS::Scheme::qoaView);
    EXPECT_EQ(view->status(), RenderViewStatus::ready);  // at once, before the page hears it
    EXPECT_THAT(sent(), ElementsAre("window.qoraidview.status='default';window.mraidview.placement='inline';"
                                    "window.qoraidview.orientation=0;window.mraidview.screenSize={'width':390.0,'height':844.0};"
                                    "window.mraidview.defaultPosition={'x':10.0,'y':20.0,'width':320.0,'height':50.0};"
                                    "window.mraidview.currentPosition={'x':5.0,'y':6.0,'width':7.0,'height':8.0};"
                                    "window.mraidview.maxSize={'width':390.0,'height':700.0};window.mraidview.viewable=false;",
                                    "window.qoaiview.broadcastEvent('ready');"));

    make(AdsType::interstitial);
    view->superView = nullptr;
    view->window = nullptr;
    app.application().setStatusBarOrientation(platform::InterfaceOrientation::landscapeLeft);
    EXPECT_EQ(action->initialStateScript(),
              "window.qoraidview.status='default';window.mraidview.placement='interstitial';window.qoraidview.orientation=90;"
              "window.mraidview.screenSize={'width':390.0,'height':844.0};"
              "window.mraidview.defaultPosition={'x':0.0,'y':0.0,'width':0.0,'height':0.0};"
              "window.mraidview.currentPosition={'x':0.0,'y':0.0,'width':0.0,'height':0.0};"
              "window.mraidview.maxSize={'width':0.0,'height':0.0};window.mraidview.viewable=false;");
    using O = platform::InterfaceOrientation;
    for (const auto& [orientation, angle] : std::vector<std::pair<O, int>>{
             {O::unknown, -1}, {O::portrait, 0}, {O::portraitUpsideDown, 180}, {O::landscapeRight, 270}, {O::landscapeLeft, 90},
             {static_cast<O>(9), -1}}) {
        EXPECT_EQ(MRAIDAction::orientationAngle(orientation), angle);
    }
}

TEST(StringBoolValueTest, OneRuleForEveryReader) {
    for (const auto& [input, expected] : std::vector<std::pair<std::string, std::optional<bool>>>{
             {"true", true}, {"YES", true}, {"1", true}, {"False", false}, {"no", false}, {"0", false},
             {"", std::nullopt}, {" true", std::nullopt}, {"01", std::nullopt}, {"y", std::nullopt}}) {
        EXPECT_EQ(boolValue(input), expected) << input;
        EXPECT_EQ(VastAttributes::boolean(input), expected) << input;
    }
}

// "open" and "openExternal": what opens, what fails, who hears.
TEST_F(MRAIDActionTest, OpenGoesToTheInAppBrowserAndOpenExternalLeavesTheApplication) {
    // Without a window there is nothing to present from.
    EXPECT_EQ(call("open", Json{{"url", "https://l.example/"}}).message(), "can not open url");
    const auto window = app.showKeyWindow();
    window->setRootViewController(platform::ViewController::create());
    pump();
    const auto presented = platform::ViewController::create();
    window->rootViewController()->present(presented, false, nullptr);
    pump();
    for (const Json& bad : {Json{{"url", 5}}, Json{{"url", "ftp://f.example/x"}}, Json{{"url", "not a url"}}, Json::object()}) {
        EXPECT_EQ(call("open", bad).message(), "can not open url") << bad;
    }
    EXPECT_EQ(call("open", std::nullopt).message(), "can not open url");
    EXPECT_TRUE(call("open", Json{{"url", "HTTPS://l.example/page"}}).isSuccess());
    pump();
    const auto browser = std::dynamic_pointer_cast<QOSafariVC>(presented->presentedViewController());
    ASSERT_TRUE(browser);  // on top of the top-most controller
    EXPECT_EQ(browser->url().absoluteString(), "HTTPS://l.example/page");

    app.application().setCanOpenURLRule([](const platform::URL& url) { return url.scheme() != "nope"; });
    for (const std::string url : {"javascript:alert(1)", "FILE:///etc/passwd", "MraidView://close?a=b", "data:text/html,x",
                                  "nope://x", "not a url"}) {
        EXPECT_EQ(call("openExternal", Json{{"url", url}}).message(), "can not open url") << url;
    }
    EXPECT_TRUE(view->calls.empty());
    EXPECT_TRUE(call("openExternal", Json{{"url", "myapp://deep/link"}}).isSuccess());
    EXPECT_THAT(view->calls, ElementsAre("leave"));
    pump();
    ASSERT_EQ(app.application().openedURLs().size(), 1u);
    EXPECT_EQ(app.application().openedURLs()[0].url.absoluteString(), "myapp://deep/link");
}

TEST_F(MRAIDActionTest, OpeningFromAnotherThreadWaitsForTheMainThread) {
    std::atomic<int> opened{-1};
    std::thread caller([&] { opened = action->openExternal(Json{{"url", "https://x.example/"}}) ? 1 : 0; });
    platform::MainLoop::shared().runUntil([&] { return opened != -1; }, std::chrono::seconds(10));
    caller.join();
    EXPECT_EQ(opened, 1);
    EXPECT_THAT(view->calls, ElementsAre("leave"));
}

TEST(RenderViewCallsTest, URLFormCalls) {
    struct Case {
        std::string url;
        std::optional<std::string> call;  // scheme command params
    } cases[] = {
        {"mraidview://open?url=https%3A%2F%2Fa.example%2Fp%3Fx%3D1", R"(mraidview open {"url":"https://a.example/p?x=1"})"},
        {"MRAIDVIEW://CLOSE?a=b", R"(mraidview close {"a":"b"})"},
        {"mraidview://close", "mraidview close {}"},
        {"qoaiview://fireadready", "qoaiview fireAdReady {}"},
        {"mraid://usecustomclose?close=true&junk&k=v=w", R"(mraid useCustomClose {"close":"true","k":"v=w"})"},
        {"mraid://storepicture?uri=x", R"(mraid storepicture {"uri":"x"})"},
        {"https://a.example/p?q=1", R"(https a.example {"q":"1"})"},
        {"https://a.example/p", std::nullopt},
        {"https://a.example/p?", std::nullopt},
        {"mraidview:close", std::nullopt},
        {"about:blank", std::nullopt},
    };
    for (const Case& c : cases) {
        const auto call = RenderViewCalls::nativeCall(c.url);
        EXPECT_EQ(call ? std::optional(call->scheme + " " + call->command + " " + call->params.dump()) : std::nullopt, c.call) << c.url;
    }
}

TEST_F(MRAIDActionTest, NavigationDecisions) {
    bool injected = false;
    const auto decide = [&](std::optional<std::string> url) {
        return RenderViewCalls::shouldStartLoad(platform::WebRequest{url, 60}, action, injected);
    };
    EXPECT_TRUE(decide(std::nullopt));
    EXPECT_FALSE(injected);
    EXPECT_TRUE(decide("about:blank"));
    EXPECT_TRUE(injected);
    EXPECT_TRUE(decide("https://a.example/"));
    EXPECT_FALSE(decide("MRAIDVIEW://CLOSE?x=1"));
    EXPECT_FALSE(decide("mraidview://fireadready"));
    EXPECT_FALSE(decide("mraidview://nosuchcommand?x=1"));  // failed, and no web content
    EXPECT_THAT(view->calls, ElementsAre("close", "fireAdReady"));
    EXPECT_TRUE(decide("data:text/html,hi"));
    EXPECT_TRUE(decide("https://a.example/?p=1"));
    EXPECT_FALSE(decide("tel:+15550100"));
    EXPECT_TRUE(sent().empty());  // a URL-form call gets no answer
    EXPECT_TRUE(app.application().openedURLs().empty());
}

TEST_F(MRAIDActionTest, PostedCallsAreAnsweredOnceEach) {
    const auto answer = [&](std::optional<std::string> scheme, std::optional<std::string> command, std::optional<Json> params = {}) {
        RenderViewCalls::didReceiveNativeCall(action, wrapper, scheme, command, params);
        return sent();
    };
    EXPECT_THAT(answer("qoraidview", "close"), ElementsAre("window.qoraidview.nativeCallComplete('close');"));
    EXPECT_TRUE(log.contains("Scheme: qoraidView -> Command: close -> Params: nil"));
    EXPECT_THAT(answer("mraidview", "hideStatusBar"),
                ElementsAre("window.mraidview.broadcastEvent('error','not supported','hideStatusBar');",
                            "window.mraidview.nativeCallComplete('hideStatusBar');"));
    EXPECT_THAT(answer("mraid", "open", Json{{"url", "https://x.example/"}}),
                ElementsAre("window.mraid.broadcastEvent('error','can not open url','open');", "window.mraid.nativeCallComplete('open');"));
    EXPECT_THAT(answer("MRAID", "cl'ose"), ElementsAre("window.mraidview.nativeCallComplete('cl\\'ose');"));
    EXPECT_THAT(answer("mraid", std::nullopt), ElementsAre("window.mraidview.nativeCallComplete('');"));
    EXPECT_EQ(log.count("Invalid scheme or command"), 2u);
    EXPECT_TRUE(answer("loadSourceSuccess", std::nullopt).empty());
    EXPECT_THAT(view->calls, ElementsAre("close"));
}

// A creative in the scripted web view calls through the bridge, the wrapper and the render view's
// answers into the command handling.
struct ForwardingDelegate final : MWebviewDelegate {
    bool shouldStartLoad(const std::shared_ptr<MWebview>&, const platform::WebRequest& request, platform::NavigationType) override {
        return RenderViewCalls::shouldStartLoad(request, action, injected);
    }
    void webViewDidCommitNavigation() override {}
    void webViewDidFinishLoad() override { action->pushInitialState(); }
    void webViewDidFailLoad(const platform::Error&) override {}
    void didReceiveNativeCall(const std::shared_ptr<MWebview>& webView, const std::optional<std::string>& scheme,
                              const std::optional<std::string>& command, const std::optional<AnyDictionary>& params) override {
        RenderViewCalls::didReceiveNativeCall(action, webView, scheme, command, params);
    }
    bool shouldOpenNewWindow(const platform::WebRequest&) override { return true; }
    std::shared_ptr<MRAIDAction> action;
    bool injected = false;
};

TEST_F(MRAIDActionTest, ACreativeCallsThroughTheBridgeEndToEnd) {
    const auto previous = platform::WebViewFactory::install(scripted::ScriptedWebView::maker());
    make(AdsType::banner);
    platform::WebViewFactory::install(previous);
    const auto window = app.showKeyWindow();
    window->setRootViewController(platform::ViewController::create());
    pump();
    const auto delegate = std::make_shared<ForwardingDelegate>();
    delegate->action = action;
    wrapper->setWebViewDelegate(delegate);
    wrapper->loadHTML("<script>var errors = [];"
                      "mraid.addEventListener('error', function (m, a) { errors.push(a + ': ' + m); });"
                      "mraid.setExpandProperties({width: 300, height: 200, useCustomClose: true});"
                      "mraid.storePicture('https://p.example/a.png');"
                      "mraid.open('https://l.example/landing');"
                      "mraid.close();</script>",
                      std::nullopt);
    pump();
    pump();
    EXPECT_EQ(*action->adExpandProperties(), (MRAIDExpandProperties{300.0, 200.0, true, true}));
    const auto browser = std::dynamic_pointer_cast<QOSafariVC>(window->rootViewController()->presentedViewController());
    ASSERT_TRUE(browser);
    EXPECT_EQ(browser->url().absoluteString(), "https://l.example/landing");
    // The bridge follows its expand properties with useCustomClose; the call after the unsupported
    // one still went out.
    EXPECT_THAT(view->calls, ElementsAre("updateCloseButton", "close"));
    const auto page = std::static_pointer_cast<scripted::ScriptedWebView>(wrapper->webView());
    Json errors;
    page->evaluateJavaScript("errors", [&](auto result, auto) { errors = result.value_or(Json()); });
    pump();
    EXPECT_EQ(errors, Json::array({"storePicture: not supported"}));
    EXPECT_TRUE(page->scriptErrors().empty());
}

}  // namespace
}  // namespace solen
