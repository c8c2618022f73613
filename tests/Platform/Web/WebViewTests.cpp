#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Web/WebView.h"

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

}  // namespace
}  // namespace solen::platform
