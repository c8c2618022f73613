#include "Commons/Storage/KeyValueStore.h"
#include "Commons/Utilities/MainQueue.h"
#include "Commons/Utilities/Utilities.h"
#include "Platform/Dispatch/MainLoop.h"
#include "support/DispatchWait.h"
#include "support/LogCapture.h"
#include "support/ScopedApplication.h"
#include "support/ScopedUserDefaults.h"

#include <solen/ui/ViewController.h>
#include <solen/ui/WebView.h>
#include <solen/ui/Window.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <map>
#include <thread>

namespace solen {
namespace {

using platform::Application;
using platform::MainLoop;
using platform::URL;
using Params = std::map<std::string, std::string>;

class UtilitiesTest : public ::testing::Test {
protected:
    void SetUp() override { Utilities::setUserAgent(std::nullopt); }
    void TearDown() override {
        MainLoop::shared().runUntilIdle();
        Utilities::setUserAgent(std::nullopt);
        platform::WebView::setScriptResponder(nullptr);
        platform::WebView::setDefaultUserAgent("");
    }
    // Runs `read` on a background thread while the main loop turns, as readers off main do.
    template <class Read>
    static auto offMain(Read read) {
        auto result = std::async(std::launch::async, read);
        while (result.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
            MainLoop::shared().runUntilIdle();
        }
        return result.get();
    }

    test::ScopedUserDefaults defaults;
    test::ScopedApplication app;
};

TEST_F(UtilitiesTest, QueryParameters) {
    EXPECT_EQ(Utilities::queryParameters("a=1&b=%20x&c"), (Params{{"a", "1"}, {"b", " x"}}));
    EXPECT_EQ(Utilities::queryParameters(" \n\t "), std::nullopt);
    EXPECT_EQ(Utilities::queryParameters("k=1&k=2"), (Params{{"k", "2"}}));
    EXPECT_EQ(Utilities::queryParameters("a=b=c"), (Params{{"a", "b"}}));
    EXPECT_EQ(Utilities::queryParameters("=x&e=&k%20=v+w"), (Params{{"", "x"}, {"e", ""}, {"k%20", "v+w"}}));
    // A value that does not decode removes its key, also an earlier pair of it.
    EXPECT_EQ(Utilities::queryParameters("k=1&k=%zz&j=%E2%82%AC"), (Params{{"j", "\xE2\x82\xAC"}}));
    EXPECT_EQ(Utilities::queryParameters("k=%C3"), Params{});  // not UTF-8
    // Unicode white space and line breaks are trimmed too.
    EXPECT_EQ(Utilities::queryParameters("\xC2\xA0\xE3\x80\x80" "a=1\xE2\x80\xA8\r\n"), (Params{{"a", "1"}}));
    EXPECT_EQ(Utilities::trimmingWhitespaceAndNewlines("\xE2\x82\xAC "), "\xE2\x82\xAC");  // not a space
}

TEST_F(UtilitiesTest, LinkKind) {
    auto kind = [](const char* text) { return Utilities::linkKind(URL::parse(text)); };
    EXPECT_TRUE(kind("https://example.com/page"));
    EXPECT_TRUE(kind("data:text/html,hi"));
    EXPECT_TRUE(kind("applewebdata://frame"));
    EXPECT_FALSE(kind("https://apps.apple.com/app/id123"));
    EXPECT_FALSE(kind("https://itunes.apple.com/us/app/id123"));
    EXPECT_TRUE(kind("https://apps.apple.com"));  // no "/" after the host
    EXPECT_FALSE(kind("myapp://open"));
    EXPECT_FALSE(kind("HTTPS://example.com"));  // schemes match exactly
    EXPECT_FALSE(Utilities::linkKind(std::nullopt));
}

TEST_F(UtilitiesTest, UserAgentShowsTheStoredValueAtOnceThenTheFreshOne) {
    platform::WebView::setDefaultUserAgent("Agent/1");
    Utilities::updateWebViewUserAgent();
    EXPECT_EQ(Utilities::userAgent(), std::nullopt);  // first launch: nothing stored
    MainLoop::shared().runUntilIdle();
    EXPECT_EQ(Utilities::userAgent(), "Agent/1");

    Utilities::setUserAgent(std::nullopt);
    platform::WebView::setDefaultUserAgent("New/2");
    std::thread([] { Utilities::updateWebViewUserAgent(); }).join();
    EXPECT_EQ(Utilities::userAgent(), "Agent/1");
    MainLoop::shared().runUntilIdle();
    EXPECT_EQ(Utilities::userAgent(), "New/2");
    EXPECT_EQ(*KeyValueStore::get(Utilities::userAgentKey)->text(), "New/2");

    // Known now: a refresh does nothing at all.
    const auto webView = Utilities::userAgentWebView();
    Utilities::updateWebViewUserAgent();
    EXPECT_EQ(MainLoop::shared().pendingCount(), 0u);
    MainLoop::shared().runUntilIdle();
    EXPECT_EQ(Utilities::userAgentWebView(), webView);
}

TEST_F(UtilitiesTest, FailedScriptKeepsTheStoredValueAndLogs) {
    test::LogCapture logs;
    KeyValueStore::set(platform::PropertyValue("Old/1"), Utilities::userAgentKey);
    platform::WebView::setScriptResponder([](const std::string&) -> std::optional<platform::WebView::ScriptResult> {
        return platform::WebView::ScriptResult{std::nullopt, platform::Error{"test", 1, "no", std::nullopt, std::nullopt, {}}};
    });
    Utilities::updateWebViewUserAgent();
    MainLoop::shared().runUntilIdle();
    EXPECT_EQ(Utilities::userAgent(), "Old/1");
    EXPECT_TRUE(logs.contains("Error occured to get userAgent"));

    platform::WebView::setScriptResponder([](const std::string&) -> std::optional<platform::WebView::ScriptResult> {
        return platform::WebView::ScriptResult{nlohmann::ordered_json(42), std::nullopt};
    });
    Utilities::setUserAgent(std::nullopt);  // not known: a later refresh tries again
    Utilities::updateWebViewUserAgent();
    MainLoop::shared().runUntilIdle();
    EXPECT_EQ(Utilities::userAgent(), "Old/1");
    EXPECT_EQ(logs.count("Failed to get userAgent"), 2u);
}

TEST_F(UtilitiesTest, UserInterfaceReadsHopToTheMainThread) {
    Application::shared().setStatusBarFrame(platform::Rect(0, 0, 390, 47));
    Application::shared().setStatusBarOrientation(platform::InterfaceOrientation::landscapeLeft);
    auto window = app.showKeyWindow();
    EXPECT_EQ(offMain([] { return Utilities::mainKeyWindow(); }), window);
    EXPECT_DOUBLE_EQ(offMain([] { return Utilities::statusBarHeight(); }), 47);
    EXPECT_EQ(offMain([] { return Utilities::interfaceOrientation(); }), 4);
    Application::shared().setStatusBarHidden(true);
    EXPECT_DOUBLE_EQ(Utilities::statusBarHeight(), 0);
}

TEST_F(UtilitiesTest, TopMostFollowsThePresentedControllers) {
    auto window = app.showKeyWindow();
    EXPECT_EQ(Utilities::topMost(), window);  // no root controller
    auto root = platform::ViewController::create();
    auto first = platform::ViewController::create();
    auto second = platform::ViewController::create();
    window->setRootViewController(root);
    root->present(first, false, nullptr);
    MainLoop::shared().runUntilIdle();
    first->present(second, false, nullptr);
    MainLoop::shared().runUntilIdle();
    EXPECT_EQ(offMain([] { return Utilities::topMost(); }), second->view());
}

TEST_F(UtilitiesTest, OpenExternalURLCompletesExactlyOnce) {
    std::vector<bool> results;
    Utilities::openExternalURL(*URL::parse("myapp://x"), {}, [&](bool ok) { results.push_back(ok); });
    EXPECT_THAT(results, ::testing::ElementsAre(false));
    EXPECT_TRUE(Application::shared().openedURLs().empty());

    results.clear();
    Utilities::openExternalURL(*URL::parse("https://example.com"), {}, [&](bool ok) { results.push_back(ok); });
    EXPECT_TRUE(results.empty());
    MainLoop::shared().runUntilIdle();
    EXPECT_THAT(results, ::testing::ElementsAre(true));
    ASSERT_EQ(Application::shared().openedURLs().size(), 1u);
    EXPECT_EQ(Application::shared().openedURLs()[0].url.absoluteString(), "https://example.com");
}

TEST(MainQueueTest, NeverRunsInlineAndAlwaysOnTheMainThread) {
    auto& loop = platform::MainLoop::shared();
    ASSERT_TRUE(loop.isMainThread());
    bool ran = false;
    performOnMainQueue([&] { ran = true; });
    EXPECT_FALSE(ran);
    loop.runUntilIdle();
    EXPECT_TRUE(ran);

    // From another thread the block runs on the main thread.
    std::atomic<bool> onMain{false};
    std::thread([&] { performOnMainQueue([&] { onMain = platform::MainLoop::shared().isMainThread(); }); }).join();
    EXPECT_TRUE(test::waitUntil([&] { return onMain.load(); }));
}

}  // namespace
}  // namespace solen
