#include "Ad/RenderEngine/OpenModes/LandingPageProcessor.h"
#include "Platform/Dispatch/MainLoop.h"
#include "support/DispatchWait.h"
#include "support/LocalHttpServer.h"
#include "support/LogCapture.h"
#include "support/ScopedApplication.h"
#include <solen/ui/Window.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <thread>

namespace solen {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

void pump() { platform::MainLoop::shared().runUntilIdle(); }

// The native ad loader's part: a controller to present from, and the browser's steps in order.
struct Loader final : LandingPageDelegate {
    std::shared_ptr<platform::ViewController> viewControllerForPresentation() override { return presenter; }
    void browserWillPresent() override { events.push_back("willPresent"); }
    void browserDidPresent() override { events.push_back("didPresent"); }
    void browserWillDismiss() override { events.push_back("willDismiss"); }
    void browserDidDismiss() override { events.push_back("didDismiss"); }
    std::shared_ptr<platform::ViewController> presenter;
    std::vector<std::string> events;
};

class LandingPageProcessorTest : public ::testing::Test {
protected:
    void SetUp() override {
        window->setRootViewController(platform::ViewController::create());
        loader->presenter = window->rootViewController();
        app.application().setCanOpenURLRule([](const platform::URL& url) { return url.scheme() != "nope"; });
        pump();
    }
    void TearDown() override { pump(); }
    std::shared_ptr<LandingPageProcessor> open(LandingPageConfig config) {
        auto processor = std::make_shared<LandingPageProcessor>(std::move(config));
        processor->setDelegate(loader);
        processor->open();
        pump();
        return processor;
    }
    std::shared_ptr<QOSafariVC> browser() const {
        return std::dynamic_pointer_cast<QOSafariVC>(loader->presenter->presentedViewController());
    }
    std::vector<std::string> opened() const {
        std::vector<std::string> urls;
        for (const auto& entry : app.application().openedURLs()) urls.push_back(entry.url.absoluteString());
        return urls;
    }

    test::ScopedApplication app;
    test::LogCapture log{5};
    std::shared_ptr<platform::Window> window = app.showKeyWindow();
    std::shared_ptr<Loader> loader = std::make_shared<Loader>();
};

TEST_F(LandingPageProcessorTest, ABadAddressFallsBackAndOnlyTheFallbacksTrackersFire) {
    test::LocalHttpServer server;
    const auto processor = open({AssetOnClick{"not a url", OpenModeType::inAppBrowser, std::vector{server.url("/click")}},
                                 AssetOnClick{"https://fallback.example/", std::nullopt,
                                              std::vector{server.url("/fallback?n=1"), server.url("/fallback?n=2")}}});
    ASSERT_TRUE(server.waitForRequests(2, 5s));
    ASSERT_TRUE(test::drainGlobalQueue());
    std::this_thread::sleep_for(50ms);
    std::multiset<std::string> targets;
    for (const auto& request : server.requests()) targets.insert(request.target);
    EXPECT_EQ(targets, (std::multiset<std::string>{"/fallback?n=1", "/fallback?n=2"}));
    ASSERT_TRUE(browser());
    EXPECT_EQ(browser()->url().absoluteString(), "https://fallback.example/");
    EXPECT_EQ(browser()->modalPresentationStyle(), platform::ViewController::ModalPresentationStyle::fullScreen);

    // The browser's four steps reach the loader in order.
    EXPECT_THAT(loader->events, ElementsAre("willPresent", "didPresent"));
    browser()->dismiss(true, nullptr);
    pump();
    EXPECT_THAT(loader->events, ElementsAre("willPresent", "didPresent", "willDismiss", "didDismiss"));

    // Neither address parses: nothing at all.
    open({AssetOnClick{"", std::nullopt, std::vector{server.url("/x")}}, std::nullopt});
    EXPECT_FALSE(browser());
    EXPECT_TRUE(opened().empty());
}

TEST_F(LandingPageProcessorTest, OpenModesDecideWhereTheAddressOpens) {
    struct Case {
        std::string url;
        std::optional<OpenModeType> mode;
        std::string browser;  // shown in the in-app browser, or empty
        std::string opened;   // handed to the system, or empty
    } cases[] = {
        {"https://a.example/", std::nullopt, "https://a.example/", ""},
        {"HTTP://a.example/", OpenModeType::skStore, "HTTP://a.example/", ""},
        {"https://a.example/d", OpenModeType::default_, "https://a.example/d", ""},
        {"https://a.example/s", OpenModeType::safariBrowser, "", "https://a.example/s"},
        {"mailto:someone@a.example", OpenModeType::inAppBrowser, "", "mailto:someone@a.example"},
        {"tel:+15550100", std::nullopt, "", "tel:+15550100"},
        {"javascript:alert(1)", OpenModeType::safariBrowser, "", ""},
        {"File:///etc/passwd", OpenModeType::inAppBrowser, "", ""},
        {"nope://x", OpenModeType::safariBrowser, "", ""},
    };
    for (const Case& c : cases) {
        app.application().reset();
        app.application().setCanOpenURLRule([](const platform::URL& url) { return url.scheme() != "nope"; });
        window->makeKeyAndVisible();
        open({AssetOnClick{c.url, c.mode, std::nullopt}, std::nullopt});
        EXPECT_EQ(browser() ? browser()->url().absoluteString() : "", c.browser) << c.url;
        EXPECT_EQ(opened(), c.opened.empty() ? std::vector<std::string>{} : std::vector{c.opened}) << c.url;
        if (browser()) {
            browser()->dismiss(false, nullptr);
            pump();
        }
    }
    EXPECT_EQ(log.count("Invalid url or scheme for inApp browser. Trying to open in safari"), 3u);

    // Without a controller to present from nothing opens, not even outside.
    loader->presenter = nullptr;
    app.application().reset();
    open({AssetOnClick{"https://a.example/", std::nullopt, std::nullopt}, std::nullopt});
    EXPECT_TRUE(log.contains("ViewController not found for presentation"));
    EXPECT_TRUE(opened().empty());
}

}  // namespace
}  // namespace solen
