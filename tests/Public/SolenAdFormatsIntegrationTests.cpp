// The native, splash, interstitial and rewarded public ads against the local ad service with the
// example network: each loads, goes on screen (its view attached to a window, or shown from the
// window's root controller), is counted as seen and is tapped by the user. The application gets
// the exact callback sequence; the service receives each tracker of the line item once.
#if !defined(SOLEN_HAVE_ADSERVER)
#include <gtest/gtest.h>
TEST(SolenAdFormatsIntegrationTests, NeedsTheTools) { GTEST_SKIP() << "built without the tools"; }
#else

#include "Platform/UI/TapDriver.h"
#include "support/LocalAdServiceSdk.h"
#include "support/DispatchWait.h"
#include "support/ScopedApplication.h"
#include "support/ScopedUserDefaults.h"
#include "support/ScriptedNetwork.h"

#include <solen/SolenInterstitial.h>
#include <solen/SolenNative.h>
#include <solen/SolenSplash.h>
#include <solen/ui/Window.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace solen {
namespace {

using namespace std::chrono_literals;
using Json = nlohmann::ordered_json;

// Every callback of the three delegates as a short text; the formats share their names.
class Recorder final : public SolenNativeDelegate, public SolenSplashDelegate, public SolenInterstitialDelegate {
public:
    std::vector<std::string> events;

    std::shared_ptr<platform::ViewController> viewControllerForSolenFullScreen() override { return nullptr; }
    void solenNativeDidLoad(SolenNative&) override { add("didLoad"); }
    void solenNativeDidLoadFail(SolenNative&, const platform::Error& error) override { failed(error); }
    void solenNativeDidClick(SolenNative&, const Json& params) override { add("click:" + params.dump()); }
    void solenNativeImpression(SolenNative&, const std::optional<Json>& data) override { impression(data); }
    void solenNativeWillPresentScreen(SolenNative&) override { add("willPresent"); }
    void solenNativeDidPresentScreen(SolenNative&) override { add("didPresent"); }
    void solenNativeWillCollapseScreen(SolenNative&) override { add("willCollapse"); }
    void solenNativeDidCollapseScreen(SolenNative&) override { add("didCollapse"); }
    void solenNativeUserWillLeaveApplication(SolenNative&) override { add("leave"); }

    void solenSplashDidLoad(SolenSplash&) override { add("didLoad"); }
    void solenSplashDidLoadFail(SolenSplash&, const platform::Error& error) override { failed(error); }
    void solenSplashDidClick(SolenSplash&, const Json& params) override { add("click:" + params.dump()); }
    void solenSplashImpression(SolenSplash&, const std::optional<Json>& data) override { impression(data); }
    void solenSplashWillPresentScreen(SolenSplash&) override { add("willPresent"); }
    void solenSplashDidPresentScreen(SolenSplash&) override { add("didPresent"); }
    void solenSplashWillCollapseScreen(SolenSplash&) override { add("willCollapse"); }
    void solenSplashDidCollapseScreen(SolenSplash&) override { add("didCollapse"); }
    void solenSplashUserWillLeaveApplication(SolenSplash&) override { add("leave"); }

    void solenInterstitialDidLoad(SolenInterstitial&) override { add("didLoad"); }
    void solenInterstitialDidFailToLoad(SolenInterstitial&, const platform::Error& error) override { failed(error); }
    void solenInterstitialDidFailToDisplay(SolenInterstitial&, const platform::Error& error) override {
        add("didFailToDisplay:" + std::to_string(error.code));
    }
    void solenInterstitialDidClick(SolenInterstitial&, const std::optional<Json>& params) override {
        add("click:" + (params ? params->dump() : "none"));
    }
    void solenInterstitialUserWillLeaveApplication(SolenInterstitial&) override { add("leave"); }
    void solenInterstitialWillDisplay(SolenInterstitial&) override { add("willDisplay"); }
    void solenInterstitialDidDisplay(SolenInterstitial&) override { add("didDisplay"); }
    void solenInterstitialWillDismiss(SolenInterstitial&) override { add("willDismiss"); }
    void solenInterstitialDidDismiss(SolenInterstitial&) override { add("didDismiss"); }
    void solenInterstitialImpression(SolenInterstitial&, const std::optional<Json>& data) override { impression(data); }
    void solenRewardsUnlocked(SolenInterstitial&, const Json& rewards) override { add("rewards:" + rewards.dump()); }

private:
    void add(std::string event) { events.push_back(std::move(event)); }
    void failed(const platform::Error& error) { add("didFail:" + std::to_string(error.code)); }
    void impression(const std::optional<Json>& data) { add("impression:" + (data ? data->dump() : "none")); }
};

// Every tracker of a line item points back at the service, as "/track/<kind>?li=<id>".
constexpr const char* trackerKinds[] = {"networkLoad", "networkFill", "networkNoFill", "adFill", "impression", "click"};

struct FormatCase {
    std::string format;  // the ad unit is "e2e-" + format, its only line item `format`
    Json settings;       // of the line item, beside its behaviour
    // The exact callback sequence; the user taps the ad once the callback before "click:" came.
    std::vector<std::string> callbacks;
};

const std::vector<FormatCase>& formatCases() {
    static const std::vector<FormatCase> cases = {
        {"native",
         {{"title", "A native title"}},
         {"didLoad", R"(impression:{"li":"native"})", "click:{}"}},
        {"splash", Json::object(), {"didLoad", R"(impression:{"li":"splash"})", "click:{}"}},
        {"interstitial",
         {{"showMs", 1500}},
         {"didLoad", "willDisplay", "didDisplay", R"(impression:{"li":"interstitial"})", "click:none", "willDismiss",
          "didDismiss"}},
        // The answer's rewards replace the network's.
        {"rewarded",
         {{"showMs", 1500}, {"reward", {{"type", "coins"}, {"amount", 1}}}},
         {"didLoad", "willDisplay", "didDisplay", R"(impression:{"li":"rewarded"})",
          R"(rewards:{"type":"gems","amount":10})", "click:none", "willDismiss", "didDismiss"}},
    };
    return cases;
}

adserver::Answer answerOf(const FormatCase& format) {
    const std::string& id = format.format;
    Json settings = format.settings;
    settings["behaviour"] = "fill";
    settings["creativeId"] = "cr-" + id;
    Json trackers = Json::object();
    for (const char* kind : trackerKinds) {
        trackers[kind] = Json::array({"${BASE_URL}/track/" + std::string(kind) + "?li=" + id});
    }
    const Json item{{"lineItemId", id},       {"networkId", "example-waterfall"}, {"lineItemMeta", settings},
                    {"s2s", false},           {"timeout", 3000},                  {"trackers", trackers},
                    {"impressionData", {{"li", id}}}};
    Json body{{"refreshConfig", false},
              {"noAdFillEventUrl", "${BASE_URL}/track/nofill?unit=e2e-" + id},
              {"auctionTimeout", 5000},
              {"ads", Json::array({item})}};
    if (id == "rewarded") {
        body["rewardedVideo"] = true;
        body["rewards"] = Json{{"type", "gems"}, {"amount", 10}};
    }
    return adserver::Answer{200, body, {}};
}

// One local service with a unit per case and one initialised SDK for the program.
adserver::AdService& service() {
    return test::adServiceSdkOnce(
        [] {
            adserver::Scenario scenario = adserver::Scenario::defaults();
            for (const FormatCase& format : formatCases()) scenario.bids["e2e-" + format.format] = {answerOf(format)};
            return scenario;
        },
        "formats-app");
}

TEST(SolenAdFormatsIntegrationTests, EachFormatLoadsGoesOnScreenIsSeenAndTapped) {
    test::ScopedUserDefaults defaults;
    test::ScopedApplication application;
    adserver::AdService& service = solen::service();
    ASSERT_TRUE(service.isRunning());
    ASSERT_TRUE(Solen::isInitialized()) << service.timeline();

    for (const FormatCase& format : formatCases()) {
        SCOPED_TRACE(format.format);
        const std::string unit = "e2e-" + format.format;
        const auto recorder = std::make_shared<Recorder>();
        const auto reached = [&](std::size_t count) {
            return test::waitUntil([&] { return recorder->events.size() >= count; }, 10s);
        };
        const auto loaded = [&] { return reached(1) && recorder->events.front() == "didLoad"; };
        const auto window = application.showKeyWindow();
        const auto root = platform::ViewController::create();
        window->setRootViewController(root);

        // Load, then put the ad on screen; `tapTarget` gives what the user taps.
        std::shared_ptr<void> ad;
        std::function<std::shared_ptr<platform::View>()> tapTarget;
        const auto attach = [&](const std::shared_ptr<platform::View>& view) {
            ASSERT_NE(view, nullptr);
            window->addSubview(view);
            tapTarget = [view] { return view; };
        };
        if (format.format == "native") {
            const auto native = SolenNative::create(unit, {300, 250}, recorder);
            native->setAdTemplateViewClass(SolenAdViewConfiguration::templateOf<test::ScriptedNativeTemplateView>());
            native->load();
            ASSERT_TRUE(loaded()) << ::testing::PrintToString(recorder->events) << service.timeline();
            const auto view = std::dynamic_pointer_cast<test::ScriptedNativeTemplateView>(native->getAdView());
            ASSERT_NE(view, nullptr);
            EXPECT_EQ(view->nativeAdTitleTextLabel()->text(), "A native title");
            attach(view);
            ad = native;
        } else if (format.format == "splash") {
            const auto splash = SolenSplash::create(unit, {320, 480}, recorder);
            splash->load();
            ASSERT_TRUE(loaded()) << ::testing::PrintToString(recorder->events) << service.timeline();
            const auto view = splash->getAdView();
            ASSERT_NE(view, nullptr);
            EXPECT_EQ(view->frame().size, (platform::Size{320, 480}));
            attach(view);
            ad = splash;
        } else {
            const auto interstitial = SolenInterstitial::create(unit, recorder);
            interstitial->load();
            ASSERT_TRUE(loaded()) << ::testing::PrintToString(recorder->events) << service.timeline();
            EXPECT_TRUE(interstitial->isReady());
            interstitial->show(root);
            tapTarget = [root] {
                const auto presented = root->presentedViewController();
                return presented ? presented->view() : nullptr;
            };
            ad = interstitial;
        }

        const auto click = std::find_if(format.callbacks.begin(), format.callbacks.end(),
                                        [](const std::string& event) { return event.starts_with("click:"); });
        ASSERT_TRUE(reached(static_cast<std::size_t>(click - format.callbacks.begin())));
        EXPECT_TRUE(platform::TapDriver::tap(tapTarget()));
        ASSERT_TRUE(reached(format.callbacks.size())) << ::testing::PrintToString(recorder->events);
        // Nothing more arrives: a second impression, say, or a late dismissal.
        test::waitUntil([] { return false; }, 300ms);
        EXPECT_TRUE(test::settle());
        EXPECT_EQ(recorder->events, format.callbacks);

        // Each tracker of the line item reached the service once; the no-fill one never.
        const auto hits = [&] {
            std::vector<std::string> kinds;
            for (const auto& request : service.requests()) {
                if (request.path.starts_with("/track/") && request.target.ends_with("?li=" + format.format)) {
                    kinds.push_back(request.path.substr(std::string("/track/").size()));
                }
            }
            std::sort(kinds.begin(), kinds.end());
            return kinds;
        };
        const std::vector<std::string> trackers = {"adFill", "click", "impression", "networkFill", "networkLoad"};
        EXPECT_TRUE(test::waitUntil([&] { return hits() == trackers; }, 10s)) << service.timeline();
        EXPECT_TRUE(test::drainGlobalQueue());
        EXPECT_EQ(hits(), trackers) << service.timeline();
    }
}

}  // namespace
}  // namespace solen

#endif
