#include "Ad/RenderEngine/Bridge/MRAIDBridgeScript.h"
#include "Ad/RenderEngine/Bridge/MRAIDJS.h"
#include "Ad/RenderEngine/View/MWKWebview.h"
#include "Platform/Dispatch/MainLoop.h"
#include <solen/ui/WebViewFactory.h>
#include "ScriptedWebView.h"
#include "support/LogCapture.h"
#include "support/ScopedApplication.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace solen {
namespace {

using ::testing::ElementsAre;
using Json = nlohmann::ordered_json;

void pump() { platform::MainLoop::shared().runUntilIdle(); }

// Records every call in order, as text; answers navigations and new windows as told, and (when
// asked) answers each native call with its completion statement, as the render view does.
struct RecordingDelegate final : MWebviewDelegate {
    bool shouldStartLoad(const std::shared_ptr<MWebview>&, const platform::WebRequest& request,
                         platform::NavigationType type) override {
        events.push_back("start " + request.url.value_or("(none)") + " " + std::to_string(static_cast<int>(type)));
        return allowLoads;
    }
    void webViewDidCommitNavigation() override { events.push_back("commit"); }
    void webViewDidFinishLoad() override { events.push_back("finish"); }
    void webViewDidFailLoad(const platform::Error& error) override { events.push_back("fail " + error.localizedDescription); }
    void didReceiveNativeCall(const std::shared_ptr<MWebview>& webView, const std::optional<std::string>& scheme,
                              const std::optional<std::string>& command, const std::optional<AnyDictionary>& params) override {
        events.push_back("call " + scheme.value_or("-") + " " + command.value_or("-") + " " + (params ? params->dump() : "-"));
        if (answerCalls && scheme && command) {
            MRAIDJS::Methods::callComplete(*MRAIDJS::schemeNamed(*scheme), *command).evaluate(webView);
        }
    }
    bool shouldOpenNewWindow(const platform::WebRequest& request) override {
        events.push_back("window " + request.url.value_or("(none)"));
        return allowWindows;
    }

    bool allowLoads = true;
    bool allowWindows = true;
    bool answerCalls = false;
    std::vector<std::string> events;
};

class MWKWebviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        wrapper = MWKWebview::create(AdViewConfig{AdsType::banner, platform::Rect(0, 0, 320, 50)});
        wrapper->setWebViewDelegate(delegate);
    }
    void TearDown() override { pump(); }

    test::ScopedApplication application;
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
    std::shared_ptr<MWKWebview> wrapper;
};

TEST_F(MWKWebviewTest, MakesItsWebViewWithTheBridgeAtDocumentStartAndBothHandlers) {
    const auto& webView = *wrapper->webView();
    const auto& configuration = webView.configuration();
    EXPECT_TRUE(configuration.javaScriptCanOpenWindowsAutomatically);
    EXPECT_TRUE(configuration.allowsInlineMediaPlayback);
    EXPECT_EQ(configuration.preferredContentMode, "mobile");
    EXPECT_THAT(configuration.documentStartScripts, ElementsAre(std::string(mraidBridgeScript())));
    EXPECT_TRUE(webView.scriptMessageHandler("nativeMessageHandler"));
    EXPECT_TRUE(webView.scriptMessageHandler("loadSourceSuccess"));
    EXPECT_EQ(webView.frame(), platform::Rect(0, 0, 320, 50));
    EXPECT_FALSE(webView.isOpaque());
    EXPECT_EQ(webView.accessibilityLabel(), "solenRenderView");
    EXPECT_EQ(webView.autoresizingMask(), platform::View::flexibleWidth | platform::View::flexibleHeight);
    EXPECT_EQ(webView.navigationDelegate().get(), wrapper.get());
    EXPECT_EQ(webView.uiDelegate().get(), wrapper.get());
}

TEST_F(MWKWebviewTest, MapsDecisionCommitFinishAndFailureToItsDelegate) {
    auto& webView = *wrapper->webView();
    wrapper->loadHTML("<p>ad</p>", std::nullopt);
    EXPECT_TRUE(webView.loadedHTML().empty());  // loads are queued to the main queue
    pump();
    EXPECT_THAT(delegate->events, ElementsAre("start about:blank 5", "commit", "finish"));
    EXPECT_THAT(webView.loadedHTML(), ElementsAre("<p>ad</p>"));

    delegate->events.clear();
    webView.pageNavigate("https://ad.example/next", platform::NavigationType::linkActivated);
    delegate->allowLoads = false;
    pump();
    EXPECT_THAT(delegate->events, ElementsAre("start https://ad.example/next 0"));
    EXPECT_EQ(webView.url(), "about:blank");

    delegate->events.clear();
    delegate->allowLoads = true;
    webView.setHoldsLoads(true);
    wrapper->loadURL(*platform::URL::parse("https://ad.example/page"));
    pump();
    webView.failLoad(platform::Error{"NSURLErrorDomain", -1001, "timed out", std::nullopt, std::nullopt, Json::object()});
    pump();
    EXPECT_THAT(delegate->events, ElementsAre("start https://ad.example/page 5", "commit", "fail timed out"));
    EXPECT_THAT(webView.loadedRequests(), ElementsAre(platform::WebRequest{"https://ad.example/page", 60}));

    // Without a delegate every navigation is cancelled.
    wrapper->setWebViewDelegate(std::weak_ptr<MWebviewDelegate>());
    webView.pageNavigate("https://ad.example/other", platform::NavigationType::other);
    pump();
    EXPECT_EQ(webView.url(), "https://ad.example/page");
}

TEST_F(MWKWebviewTest, TurnsScriptMessagesIntoNativeCalls) {
    test::LogCapture log;
    Json deep = "leaf";
    for (int level = 0; level < 40; ++level) {
        deep = Json{{"params", deep}};
    }
    const std::vector<std::tuple<std::string, Json, std::string>> cases{
        {"nativeMessageHandler", Json::parse(R"({"command":"open","scheme":"mraidview","params":{"url":"https://a.example/"}})"),
         R"(call mraidview open {"url":"https://a.example/"})"},
        {"nativeMessageHandler", Json::parse(R"({"command":"close","scheme":"MRAID"})"), "call MRAID close -"},
        {"nativeMessageHandler", Json::parse(R"({"command":7,"scheme":["mraid"],"params":"x"})"), "call - - -"},
        {"loadSourceSuccess", Json::parse(R"({"command":"log"})"), "call - log -"},
        {"loadSourceSuccess", "loaded", "call loadSourceSuccess - -"},
        {"nativeMessageHandler", "mraidview://close", ""},
        {"otherHandler", Json::array(), ""},
        {"nativeMessageHandler", deep, ""},
        {"nativeMessageHandler", Json{{"command", std::string(MWKWebview::maximumMessageBytes, 'x')}}, ""},
    };
    for (const auto& [name, body, expected] : cases) {
        delegate->events.clear();
        wrapper->didReceiveScriptMessage(platform::ScriptMessage{name, body});
        EXPECT_EQ(delegate->events.empty() ? "" : delegate->events.front(), expected) << name << " " << body.dump().substr(0, 80);
    }
    EXPECT_EQ(log.count("body too large or too deep"), 2u);
    EXPECT_TRUE(log.contains("the body is not an object"));
    // The refused calls are answered, so that the page's queue moves on.
    pump();
    const auto& answers = wrapper->webView()->evaluatedScripts();
    ASSERT_EQ(answers.size(), 4u);
    EXPECT_EQ(answers[0], "window.mraidview.broadcastEvent('error','message too large','');");
    EXPECT_EQ(answers[1], "window.mraidview.nativeCallComplete('');");
    EXPECT_EQ(answers[3].substr(0, 42), "window.mraidview.nativeCallComplete('xxxxx");

    // Messages the page posts arrive through the handlers the web view holds.
    delegate->events.clear();
    wrapper->webView()->pagePostMessage("nativeMessageHandler", Json{{"command", "close"}, {"scheme", "mraidview"}});
    pump();
    EXPECT_THAT(delegate->events, ElementsAre("call mraidview close -"));
}

TEST_F(MWKWebviewTest, OpensAllowedWindowsOutsideAndRefusesUnsafeSchemes) {
    test::LogCapture log;
    auto& webView = *wrapper->webView();
    for (const char* url : {"https://ad.example/landing", "javascript:alert(1)", "FILE:///etc/passwd", "MraidView://close",
                            "data:text/html,x", "about:blank", "blob:https://a/b", "tel:123"}) {
        webView.pageOpenWindow(url);
    }
    delegate->allowWindows = false;
    webView.pageOpenWindow("https://ad.example/refused-by-delegate");
    pump();
    const auto opened = application.application().openedURLs();
    std::vector<std::string> texts;
    for (const auto& entry : opened) {
        texts.push_back(entry.url.absoluteString());
    }
    // tel: is handed over and refused by the system (it cannot open it).
    EXPECT_THAT(texts, ElementsAre("https://ad.example/landing", "tel:123"));
    EXPECT_EQ(log.count("Unopenable URL: "), 6u);
    EXPECT_EQ(log.count("Open External window failed"), 7u);
    EXPECT_EQ(delegate->events.size(), 9u);
}

TEST_F(MWKWebviewTest, AnswersPanelsAtOnce) {
    auto& webView = *wrapper->webView();
    int alerts = 0;
    std::optional<bool> confirmed;
    std::optional<std::optional<std::string>> typed;
    webView.pageAlert("hello", [&] { ++alerts; });
    webView.pageConfirm("sure?", [&](bool answer) { confirmed = answer; });
    webView.pagePrompt("name", "x", [&](std::optional<std::string> text) { typed = text; });
    EXPECT_EQ(alerts, 1);
    EXPECT_EQ(confirmed, false);
    ASSERT_TRUE(typed);
    EXPECT_FALSE(*typed);
}

TEST_F(MWKWebviewTest, ReleaseStopsLoadingRemovesTheHandlersAndDropsQueuedWork) {
    const std::shared_ptr<platform::WebView> webView = wrapper->webView();  // kept by a superview, say
    wrapper->loadHTML("<p>ad</p>", std::nullopt);
    pump();
    webView->setHoldsLoads(true);
    webView->pageNavigate("https://ad.example/", platform::NavigationType::other);
    pump();
    ASSERT_TRUE(webView->isLoading());
    delegate->events.clear();

    MRAIDJS::Methods::callComplete(MRAIDJS::Scheme::mraid, "close").evaluate(wrapper);
    wrapper->loadHTML("<p>late</p>", std::nullopt);
    const std::size_t evaluated = webView->evaluatedScripts().size();
    wrapper.reset();
    EXPECT_FALSE(webView->isLoading());
    EXPECT_FALSE(webView->scriptMessageHandler("nativeMessageHandler"));
    EXPECT_FALSE(webView->scriptMessageHandler("loadSourceSuccess"));
    webView->pageNavigate("https://ad.example/after", platform::NavigationType::other);
    pump();
    EXPECT_EQ(webView->evaluatedScripts().size(), evaluated);
    EXPECT_EQ(webView->loadedHTML().size(), 1u);
    EXPECT_TRUE(delegate->events.empty());
}

TEST_F(MWKWebviewTest, ACreativeRunsItsCallsThroughTheBridgeInOrderAndTheQueueDrains) {
    const auto previous = platform::WebViewFactory::install(scripted::ScriptedWebView::maker());
    wrapper = MWKWebview::create(AdViewConfig{AdsType::interstitial, platform::Rect(0, 0, 390, 844)});
    platform::WebViewFactory::install(previous);
    wrapper->setWebViewDelegate(delegate);
    delegate->answerCalls = true;
    wrapper->loadHTML(R"(<html><head><script src="mraid.js"></script></head><body><script>
        function start() {
            mraid.close();
            mraid.setResizeProperties({width: 300, height: 250, offsetX: 10, offsetY: 20});
            mraid.resize();
            mraid.open('https://ad.example/landing?a=1&b=2');
        }
        if (mraid.getState() === 'loading') { mraid.addEventListener('ready', start); } else { start(); }
    </script></body></html>)",
                      std::nullopt);
    pump();
    MRAIDJS::Events::broadCastReadyState(MRAIDJS::defaultScheme).evaluate(wrapper);
    pump();
    EXPECT_THAT(delegate->events,
                ElementsAre("start about:blank 5", "commit", "finish", "call mraidview close {}",
                            R"(call mraidview resizeprops {"width":"300","height":"250","offsetX":"10","offsetY":"20"})",
                            "call mraidview resize {}", R"(call mraidview open {"url":"https://ad.example/landing?a=1&b=2"})"));
    // Nothing is left in flight: the next call goes out at once.
    delegate->events.clear();
    wrapper->evaluateJS("qoaiview.fireAdReady()", nullptr);
    pump();
    EXPECT_THAT(delegate->events, ElementsAre("call qoaiview fireAdReady {}"));
}

}  // namespace
}  // namespace solen
