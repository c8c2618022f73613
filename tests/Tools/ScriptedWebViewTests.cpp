#include "ScriptedWebView.h"

#include "Platform/Dispatch/MainLoop.h"
#include <solen/ui/WebViewFactory.h>
#include "support/LogCapture.h"
#include "support/ScopedManualClock.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace solen::scripted {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Json = nlohmann::ordered_json;

void pump() { platform::MainLoop::shared().runUntilIdle(); }

struct Recorder final : platform::ScriptMessageHandler, platform::WebNavigationDelegate, platform::WebUIDelegate {
    void didReceiveScriptMessage(platform::WebView&, const platform::ScriptMessage& message) override {
        messages.push_back(message.name + " " + message.body.dump());
    }
    platform::NavigationActionPolicy decidePolicy(platform::WebView&, const platform::NavigationAction& action) override {
        navigations.push_back(action.request.url.value_or("") + " " + std::to_string(static_cast<int>(action.navigationType)));
        return allowNavigations ? platform::NavigationActionPolicy::allow : platform::NavigationActionPolicy::cancel;
    }
    void didCommitNavigation(platform::WebView&) override {}
    void didFinishNavigation(platform::WebView&) override {}
    void didFailNavigation(platform::WebView&, const platform::Error&) override {}
    void createWebView(platform::WebView&, const platform::NavigationAction& action) override {
        windows.push_back(action.request.url.value_or(""));
    }
    void runJavaScriptAlertPanel(platform::WebView&, const std::string& message, std::function<void()> done) override {
        panels.push_back("alert " + message);
        done();
    }
    void runJavaScriptConfirmPanel(platform::WebView&, const std::string& message, std::function<void(bool)> done) override {
        panels.push_back("confirm " + message);
        done(true);
    }
    void runJavaScriptTextInputPanel(platform::WebView&, const std::string& prompt, const std::string& defaultText,
                                     std::function<void(std::optional<std::string>)> done) override {
        panels.push_back("prompt " + prompt);
        done(defaultText + "!");
    }

    bool allowNavigations = true;
    std::vector<std::string> messages, navigations, windows, panels;
};

class ScriptedWebViewTest : public ::testing::Test {
protected:
    std::shared_ptr<ScriptedWebView> makeView(std::vector<std::string> startScripts = {}) {
        platform::WebViewConfiguration configuration;
        configuration.scriptMessageHandlers = {{"native", recorder}};
        configuration.documentStartScripts = std::move(startScripts);
        auto view = ScriptedWebView::create({}, std::move(configuration));
        view->setNavigationDelegate(recorder);
        view->setUIDelegate(recorder);
        return view;
    }
    std::shared_ptr<ScriptedWebView> loaded(const std::string& html, std::vector<std::string> startScripts = {}) {
        auto view = makeView(std::move(startScripts));
        view->loadHTMLString(html, std::nullopt);
        pump();
        return view;
    }
    static platform::WebView::ScriptResult evaluate(platform::WebView& view, const std::string& script) {
        platform::WebView::ScriptResult outcome;
        view.evaluateJavaScript(script, [&outcome](auto result, auto error) { outcome = {std::move(result), std::move(error)}; });
        pump();
        return outcome;
    }

    void TearDown() override { pump(); }

    std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
};

TEST_F(ScriptedWebViewTest, RunsDocumentStartScriptsThenTheInlineScriptsAndAThrowingScriptFailsAlone) {
    const auto view = loaded(R"(<html><head>
        <script>console.log('first', typeof document, typeof navigator.userAgent);</script>
        <script src="mraid.js">console.log('src content');</script>
        <!-- <script>console.log('commented');</script> -->
        <SCRIPT type="text/template">console.log('template')</SCRIPT>
        <script type="text/javascript">undefinedFunction();</script>
        <scripts>not a script</scripts>
        <script>console.log('after', window === this, started);</script>
        <script>console.log('unclosed')
    )",
                             {"var started = 'start';", "console.log(started);"});
    EXPECT_THAT(view->consoleMessages(), ElementsAre("start", "first undefined string", "after true start", "unclosed"));
    ASSERT_EQ(view->scriptErrors().size(), 1u);
    EXPECT_THAT(view->scriptErrors()[0], HasSubstr("ReferenceError"));
}

TEST_F(ScriptedWebViewTest, PostedBodiesAreCopiedAsJsonAndDeliveredOnALaterTurnToLiveHandlersOnly) {
    const auto view = loaded("<script>var body = {n: 1, list: ['a', null], f: function () {}};</script>");
    evaluate(*view, "window.webkit.messageHandlers.native.postMessage(body); body.n = 2;"
                    "window.webkit.messageHandlers.native.postMessage('text');"
                    "window.webkit.messageHandlers.native.postMessage(undefined);");
    EXPECT_THAT(recorder->messages, ElementsAre(R"(native {"n":1,"list":["a",null]})", R"(native "text")", "native null"));
    EXPECT_EQ(evaluate(*view, "typeof window.webkit.messageHandlers.other").result, Json("undefined"));

    // The script's turn ends before the delivery; a handler removed by then gets nothing.
    std::size_t deliveredDuringTheScript = 0;
    view->evaluateJavaScript("window.webkit.messageHandlers.native.postMessage(3)", [&](auto, auto) {
        deliveredDuringTheScript = recorder->messages.size();
        view->removeScriptMessageHandler("native");
    });
    pump();
    EXPECT_EQ(deliveredDuringTheScript, 3u);
    EXPECT_EQ(recorder->messages.size(), 3u);
}

TEST_F(ScriptedWebViewTest, LocationWindowOpenAndPanelsReachTheDelegates) {
    const auto view = loaded("<p>page</p>");
    recorder->allowNavigations = false;
    const auto answers = evaluate(*view, "window.location = 'mraidview://close';"
                                         "window.open('https://example.com/new');"
                                         "alert('hi');"
                                         "[confirm('sure?'), prompt('name', 'x'), location.href]");
    pump();
    EXPECT_EQ(answers.result, Json::parse(R"([true, "x!", "about:blank"])"));
    EXPECT_THAT(recorder->navigations, ElementsAre("about:blank 5", "mraidview://close 5"));
    EXPECT_THAT(recorder->windows, ElementsAre("https://example.com/new"));
    EXPECT_THAT(recorder->panels, ElementsAre("alert hi", "confirm sure?", "prompt name"));

    view->setUIDelegate(std::weak_ptr<platform::WebUIDelegate>());
    EXPECT_EQ(evaluate(*view, "[confirm('a'), prompt('b')]").result, Json::parse("[false, null]"));
}

TEST_F(ScriptedWebViewTest, EvaluationsShareTheDocumentAndANewDocumentGetsAFreshHeap) {
    const auto view = loaded("<script>var kept = {a: [1, 'x']};</script>");
    EXPECT_EQ(evaluate(*view, "kept").result, Json::parse(R"({"a": [1, "x"]})"));
    EXPECT_FALSE(evaluate(*view, "(function () {})").result);

    const auto thrown = evaluate(*view, "throw new TypeError('bad')");
    ASSERT_TRUE(thrown.error);
    EXPECT_EQ(thrown.error->code, platform::WebView::javaScriptExceptionOccurredCode);
    EXPECT_THAT(thrown.error->userInfo.dump(), HasSubstr("TypeError: bad"));
    EXPECT_FALSE(thrown.result);

    view->loadHTMLString("<p>next</p>", std::nullopt);
    pump();
    EXPECT_EQ(evaluate(*view, "typeof kept").result, Json("undefined"));
}

TEST_F(ScriptedWebViewTest, TimersRunOnTheMainLoopClockAndDieWithTheirDocument) {
    test::ScopedManualClock clock;
    const auto view = loaded("<script>var ticks = []; setTimeout(function (tag) { ticks.push(tag); }, 100, 'once');"
                             "var every = setInterval(function () { ticks.push('tick'); if (ticks.length > 3) clearInterval(every); }, 30);"
                             "clearTimeout(setTimeout(function () { ticks.push('cleared'); }, 10));</script>");
    for (int step = 0; step < 10; ++step) {
        clock.advanceSeconds(0.015);
        pump();
    }
    EXPECT_EQ(evaluate(*view, "ticks").result, Json::parse(R"(["tick", "tick", "tick", "once", "tick"])"));

    evaluate(*view, "setTimeout(function () { console.log('old document'); }, 10);");
    view->loadHTMLString("", std::nullopt);
    pump();
    clock.advanceSeconds(1);
    pump();
    EXPECT_TRUE(view->consoleMessages().empty());
}

TEST_F(ScriptedWebViewTest, APageThatExhaustsItsHeapFailsAloneAndTheNextScriptRuns) {
    const auto view = loaded("<script>var hog = [], text = 'x'; while (true) { text += text; hog.push(text + hog.length); }</script>"
                             "<script>hog = null; console.log('still running');</script>");
    ASSERT_EQ(view->scriptErrors().size(), 1u);
    EXPECT_THAT(view->scriptErrors()[0], HasSubstr("alloc failed"));
    EXPECT_THAT(view->consoleMessages(), ElementsAre("still running"));
    EXPECT_LE(view->heapBytes(), ScriptedWebView::heapLimitBytes);
}

TEST_F(ScriptedWebViewTest, AScriptThatNeverEndsIsStoppedAndThePageGoesOn) {
    const auto view = loaded("<script>try { while (true) {} } catch (e) { console.log('caught'); while (true) {} }</script>"
                             "<script>console.log('next script'); setTimeout(function () { console.log('timer'); }, 0);</script>");
    ASSERT_EQ(view->scriptErrors().size(), 1u);
    EXPECT_EQ(view->scriptErrors()[0], "RangeError: execution timeout");
    EXPECT_THAT(view->consoleMessages(), ElementsAre("next script", "timer"));
    EXPECT_EQ(evaluate(*view, "6 * 7").result, Json(42));
}

TEST_F(ScriptedWebViewTest, NestedZeroDelayTimersAreClampedSoTheMainLoopGetsIdle) {
    test::ScopedManualClock clock;
    const auto view = loaded("<script>var runs = 0; function again() { runs += 1; setTimeout(again, 0); } again();</script>");
    // The call itself and the first six timers run at once; the timers after them wait 4 ms.
    EXPECT_EQ(evaluate(*view, "runs").result, Json(7));
    clock.advanceSeconds(0.004);
    pump();
    EXPECT_EQ(evaluate(*view, "runs").result, Json(8));
    // A timer set outside any timer starts again at the first level.
    evaluate(*view, "var fresh = 0; setTimeout(function () { fresh += 1; }, 0);");
    EXPECT_EQ(evaluate(*view, "fresh").result, Json(1));
}

TEST_F(ScriptedWebViewTest, PostedMessagesWaitingForDeliveryAreCappedAndTheFirstDropIsLogged) {
    struct Counter final : platform::ScriptMessageHandler {
        void didReceiveScriptMessage(platform::WebView&, const platform::ScriptMessage&) override { ++received; }
        std::size_t received = 0;
    };
    const auto counter = std::make_shared<Counter>();
    test::LogCapture log;
    const auto view = loaded("<script>var big = 'm'; while (big.length < 2100000) big += big; big = big.substring(0, 2100000);"
                             "function post(n) { for (var i = 0; i < n; i += 1) window.webkit.messageHandlers.native.postMessage(big); }"
                             "</script>");
    view->addScriptMessageHandler("native", counter);  // counts without copying the bodies
    const std::size_t fits = platform::WebView::queuedMessageLimitBytes / 2100000;
    ASSERT_EQ(fits, 3u);
    evaluate(*view, "post(5)");
    EXPECT_EQ(counter->received, fits);
    EXPECT_EQ(log.count("Dropped messages posted by the page about:blank: more than 8 MiB of them wait for delivery"), 1u);
    // Delivered messages no longer count.
    evaluate(*view, "post(1)");
    EXPECT_EQ(counter->received, fits + 1);
}

TEST_F(ScriptedWebViewTest, TheInstalledMakerServesTheFactory) {
    const auto previous = platform::WebViewFactory::install(ScriptedWebView::maker());
    const auto made = platform::WebViewFactory::make({}, {});
    platform::WebViewFactory::install(previous);
    EXPECT_TRUE(std::dynamic_pointer_cast<ScriptedWebView>(made));
    EXPECT_FALSE(std::dynamic_pointer_cast<ScriptedWebView>(platform::WebViewFactory::make({}, {})));
}

}  // namespace
}  // namespace solen::scripted
