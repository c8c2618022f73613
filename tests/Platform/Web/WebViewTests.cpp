#include "Platform/Dispatch/MainLoop.h"
#include <solen/ui/WebView.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace solen::platform {
namespace {

struct Answer {
    int calls = 0;
    std::optional<nlohmann::ordered_json> result;
    std::optional<Error> error;
    bool onMain = false;
};

WebView::Completion recordInto(Answer& answer) {
    return [&answer](std::optional<nlohmann::ordered_json> result, std::optional<Error> error) {
        ++answer.calls;
        answer.result = std::move(result);
        answer.error = std::move(error);
        answer.onMain = MainLoop::shared().isMainThread();
    };
}

class WebViewTest : public ::testing::Test {
protected:
    void TearDown() override {
        WebView::setScriptResponder(nullptr);
        WebView::setDefaultUserAgent("");
        MainLoop::shared().runUntilIdle();
    }
};

TEST_F(WebViewTest, AnswersTheUserAgentScriptLaterOnTheMainThread) {
    auto webView = WebView::create();
    Answer answer;
    webView->evaluateJavaScript("navigator.userAgent", recordInto(answer));
    EXPECT_EQ(answer.calls, 0);
    MainLoop::shared().runUntilIdle();
    EXPECT_EQ(answer.calls, 1);
    EXPECT_TRUE(answer.onMain);
    ASSERT_TRUE(answer.result);
    EXPECT_THAT(answer.result->get<std::string>(), ::testing::HasSubstr("Linux"));
    EXPECT_FALSE(answer.error);
    EXPECT_THAT(webView->evaluatedScripts(), ::testing::ElementsAre("navigator.userAgent"));
}

TEST_F(WebViewTest, ResponderAnswersOtherScriptsGiveNothingAndAReleasedViewGivesAnError) {
    WebView::setScriptResponder([](const std::string& script) -> std::optional<WebView::ScriptResult> {
        if (script == "fail()") {
            return WebView::ScriptResult{std::nullopt, Error{"test", 4, "boom", std::nullopt, std::nullopt, {}}};
        }
        return std::nullopt;
    });
    auto webView = WebView::create();
    Answer failed;
    Answer plain;
    Answer released;
    webView->evaluateJavaScript("fail()", recordInto(failed));
    webView->evaluateJavaScript("1 + 1", recordInto(plain));
    WebView::create()->evaluateJavaScript("1 + 1", recordInto(released));
    MainLoop::shared().runUntilIdle();
    ASSERT_TRUE(failed.error);
    EXPECT_EQ(failed.error->code, 4);
    EXPECT_FALSE(failed.result);
    EXPECT_EQ(plain.calls, 1);
    EXPECT_FALSE(plain.result || plain.error);
    EXPECT_EQ(released.calls, 1);
    ASSERT_TRUE(released.error);
    EXPECT_EQ(released.error->code, WebView::webViewInvalidatedCode);
}

struct LoadRecorder final : WebNavigationDelegate {
    NavigationActionPolicy decidePolicy(WebView&, const NavigationAction& action) override {
        events.push_back("decide " + action.request.url.value_or("(none)"));
        return NavigationActionPolicy::allow;
    }
    void didCommitNavigation(WebView& view) override { events.push_back("commit " + view.url().value_or("")); }
    void didFinishNavigation(WebView&) override { events.push_back("finish"); }
    void didFailNavigation(WebView&, const Error& error) override { events.push_back("fail " + std::to_string(error.code)); }
    std::vector<std::string> events;
};

TEST_F(WebViewTest, ALoadStepsThroughLaterTurnsAndANewerLoadOrAStopDropsTheOlderOne) {
    const auto recorder = std::make_shared<LoadRecorder>();
    auto webView = WebView::create();
    webView->setNavigationDelegate(recorder);
    webView->loadHTMLString("<p>a</p>", "https://base.example/");
    EXPECT_TRUE(recorder->events.empty());
    EXPECT_EQ(MainLoop::shared().runUntilIdle(), 3u);  // decision, commit, finish: one turn each
    EXPECT_THAT(recorder->events, ::testing::ElementsAre("decide https://base.example/", "commit https://base.example/", "finish"));

    recorder->events.clear();
    webView->load(WebRequest{"https://one.example/", 60});
    webView->loadHTMLString("<p>b</p>", std::nullopt);
    MainLoop::shared().runUntilIdle();
    webView->load(WebRequest{"https://stopped.example/", 60});
    webView->stopLoading();
    MainLoop::shared().runUntilIdle();
    EXPECT_THAT(recorder->events, ::testing::ElementsAre("decide about:blank", "commit about:blank", "finish"));

    recorder->events.clear();
    webView->setHoldsLoads(true);
    webView->load(WebRequest{std::nullopt, 60});
    MainLoop::shared().runUntilIdle();
    EXPECT_TRUE(webView->isLoading());
    webView->finishLoad();
    webView->failLoad(Error{"test", 9, "late", std::nullopt, std::nullopt, {}});  // nothing left to fail
    EXPECT_THAT(recorder->events, ::testing::ElementsAre("decide (none)", "commit ", "finish"));
}

}  // namespace
}  // namespace solen::platform
