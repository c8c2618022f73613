#include <gtest/gtest.h>

#if !defined(SOLEN_HAVE_ADSERVER) || !defined(SOLEN_DEMO_PATH)

TEST(DemoTests, NeedsTheTools) { GTEST_SKIP() << "built without the tools"; }

#else

#include "adserver/AdService.h"
#include "support/ShellCommand.h"

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace solen {
namespace {

using adserver::AdService;
using adserver::ServiceRequest;

// Runs the demo binary against `baseUrl` and returns its exit code and output.
test::ShellResult runDemo(const std::string& baseUrl, const std::string& arguments) {
    return test::runShell("SOLEN_SERVICE_BASE_URL=" + test::shellQuoted(baseUrl) + " " +
                          test::shellQuoted(SOLEN_DEMO_PATH) + " " + arguments);
}

std::vector<ServiceRequest> configRequests(const std::vector<ServiceRequest>& requests) {
    std::vector<ServiceRequest> configs;
    for (const auto& request : requests) {
        if (request.kind == ServiceRequest::Kind::config) configs.push_back(request);
    }
    return configs;
}

// The native video ad of a demo run: its timeline in order, the end card read from the view tree,
// and each of its trackers received once by `service`.
void expectNativeVideo(const std::string& output, const AdService& service) {
    const std::vector<std::string> lines = {
        "demo-native-video: solenNativeDidLoad", "demo-native-video: ad view attached to a visible window",
        "demo-native-video: solenNativeImpression", "demo-native-video: end card: companion 300×250",
        "demo-native-video: tap on the call to action \"Watch again\"", "demo-native-video: solenNativeDidClick {}",
        "the native video ad played to its end card and took its click"};
    std::size_t previous = 0;
    for (const std::string& line : lines) {
        const std::size_t at = output.find(line);
        ASSERT_NE(at, std::string::npos) << line << "\n" << output;
        EXPECT_LE(previous, at) << line;
        previous = at;
    }
    const auto requests = service.requests();
    for (const char* target : {"/img/icon.png", "/media/clip.mp4", "/img/companion.png", "/vast/impression?ad=nv-1",
                               "/vast/start?ad=nv-1", "/vast/complete?ad=nv-1", "/track/impression?li=nv-1",
                               "/track/videoStart?li=nv-1", "/track/videoComplete?li=nv-1",
                               "/track/cta-click?li=nv-1", "/track/click?li=nv-1"}) {
        EXPECT_EQ(std::count_if(requests.begin(), requests.end(), [&](const auto& request) { return request.target == target; }), 1)
            << target << "\n" << service.timeline();
    }
}

// The server-to-server ads' part of the demo's output: each ad unit's callbacks and the pages'
// console lines, in order, and the trackers of their line items (each once; they are sent side by
// side, so they may arrive in any order).
void expectServerToServerAds(const std::string& output, const AdService& service) {
    std::vector<std::string> lines;
    std::istringstream text(output);
    for (std::string line; std::getline(text, line);) {
        for (const char* marker : {"host    demo-s2s-", "page    "}) {
            if (const auto at = line.find(marker); at != std::string::npos) lines.push_back(line.substr(at + 8));
        }
    }
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "banner ready, placement inline", "demo-s2s-banner: solenBannerDidLoad",
                         "demo-s2s-banner: solenBannerImpression", "banner viewable true", "banner viewable false",
                         "demo-s2s-banner: solenBannerWillPresentScreen", "banner viewable true", "banner viewable true",
                         "demo-s2s-banner: solenBannerDidPresentScreen", "banner state expanded",
                         "demo-s2s-banner: solenBannerWillCollapseScreen", "banner viewable false",
                         "demo-s2s-banner: solenBannerDidCollapseScreen", "banner viewable true", "banner state default",
                         "interstitial ready, placement interstitial", "demo-s2s-interstitial: solenInterstitialDidLoad",
                         "demo-s2s-interstitial: solenInterstitialWillDisplay",
                         "demo-s2s-interstitial: solenInterstitialImpression", "interstitial viewable true",
                         "interstitial viewable true", "demo-s2s-interstitial: solenInterstitialDidDisplay",
                         "demo-s2s-interstitial: solenInterstitialWillDismiss", "interstitial viewable false",
                         "demo-s2s-interstitial: solenInterstitialDidDismiss"}))
        << output;
    EXPECT_NE(output.find("the server-to-server banner collapsed and the interstitial was dismissed"), std::string::npos);
    std::vector<std::string> hits;
    for (const auto& request : service.requests()) {
        if (request.target.find("li=s2s-") != std::string::npos) hits.push_back(request.target);
    }
    std::sort(hits.begin(), hits.end());
    EXPECT_EQ(hits, (std::vector<std::string>{"/track/fill?li=s2s-bn-1", "/track/fill?li=s2s-in-1",
                                              "/track/impression?li=s2s-bn-1", "/track/impression?li=s2s-in-1",
                                              "/track/nofill?li=s2s-in-bad"}))
        << service.timeline();
}

class DemoTests : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(service.start());
        char pattern[] = "/tmp/solen-demo-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        store = pattern;
    }
    void TearDown() override {
        service.stop();
        std::error_code ignored;
        std::filesystem::remove_all(store, ignored);
    }

    AdService service;
    std::filesystem::path store;
};

TEST_F(DemoTests, StartsTheSdkAgainstTheLocalServiceThenRelaunches) {
    const std::string arguments =
        "--store '" + store.string() + "' --background-ms 1200 --quiet-ms 1500 --app-id e2e-app --ppid e2e-ppid";
    const test::ShellResult first = runDemo(service.baseUrl(), arguments);
    ASSERT_EQ(first.exitCode, 0) << first.output;
    EXPECT_NE(first.output.find("(first launch)"), std::string::npos) << first.output;
    EXPECT_NE(first.output.find("completion: initialisation succeeded"), std::string::npos) << first.output;
    // The banners: a waterfall fill, refreshes with a fill and a no fill, and an auction time-out.
    for (const char* line : {"demo-waterfall-banner: solenBannerDidLoad, creative cr-wf-2",
                             "demo-waterfall-banner: solenBannerDidLoad, creative cr-wf-3",
                             "demo-waterfall-banner: solenBannerDidFailToLoad", "demo-waterfall-banner: solenBannerDidLoad, creative cr-wf-4",
                             "demo-timeout-banner: solenBannerDidFailToLoad", "both banners reached their callbacks"}) {
        EXPECT_NE(first.output.find(line), std::string::npos) << line << "\n" << first.output;
    }
    // The full-screen ads, each callback once and in order; the one that never presents times out.
    const auto callbacks = [&first](const std::string& unit) {
        std::vector<std::string> found;
        std::istringstream lines(first.output);
        const std::string marker = "host    " + unit + ": ";
        for (std::string line; std::getline(lines, line);) {
            if (const auto at = line.find(marker); at != std::string::npos) found.push_back(line.substr(at + marker.size()));
        }
        return found;
    };
    const std::vector<std::string> shown = {"solenInterstitialDidLoad", "solenInterstitialWillDisplay",
                                            "solenInterstitialDidDisplay", "solenInterstitialImpression",
                                            "solenInterstitialWillDismiss", "solenInterstitialDidDismiss"};
    std::vector<std::string> rewarded = shown;
    rewarded.insert(rewarded.begin() + 4, R"(solenRewardsUnlocked {"type":"gems","amount":10})");
    EXPECT_EQ(callbacks("demo-interstitial"), shown) << first.output;
    EXPECT_EQ(callbacks("demo-rewarded"), rewarded) << first.output;
    EXPECT_EQ(callbacks("demo-nopresent-interstitial"),
              (std::vector<std::string>{"solenInterstitialDidLoad",
                                        "solenInterstitialDidFailToDisplay, 2007 Ad Show fail's due to renderTimeout"}))
        << first.output;
    EXPECT_NE(first.output.find("the full-screen ads ended their shows"), std::string::npos) << first.output;
    for (const char* hit : {"/track/nofill?li=wf-1", "/track/fill?li=wf-2", "/track/fill?li=wf-3",
                            "/track/nofill?unit=demo-timeout-banner", "/track/impression?li=in-1",
                            "/track/impression?li=rw-1", "/track/fill?li=np-1"}) {
        const auto requests = service.requests();
        EXPECT_TRUE(std::any_of(requests.begin(), requests.end(), [&](const auto& request) { return request.target == hit; }))
            << hit << "\n" << service.timeline();
    }
    // The native ad: a second load during the first ends it; the next load's view is attached and
    // counted as seen. The splash gives a view of its size.
    const auto at = [&](const char* text) { return first.output.rfind(text); };
    const std::vector<const char*> nativeLines = {
        "demo-native: solenNativeDidLoadFail, 2001", "demo-native: solenNativeDidLoad", "demo-splash: solenSplashDidLoad",
        "getAdView() of demo-native: a native ad view, of demo-splash: a view of 320x480",
        "demo-native: solenNativeImpression", "the native ad and the splash reached their callbacks"};
    for (std::size_t i = 0; i < nativeLines.size(); ++i) {
        ASSERT_NE(at(nativeLines[i]), std::string::npos) << nativeLines[i] << "\n" << first.output;
        if (i > 0 && i != 2) {
            EXPECT_LT(at(nativeLines[i - 1]), at(nativeLines[i])) << nativeLines[i];
        }
    }
    for (const char* hit : {"/track/fill?li=na-1", "/track/impression?li=na-1", "/track/fill?li=sp-1"}) {
        const auto requests = service.requests();
        EXPECT_TRUE(std::any_of(requests.begin(), requests.end(), [&](const auto& request) { return request.target == hit; }))
            << hit << "\n" << service.timeline();
    }
    expectNativeVideo(first.output, service);
    expectServerToServerAds(first.output, service);
    // The example network's linked package was found and started against the service.
    EXPECT_NE(first.output.find("NetworkSDK:Example, Version:2.4.0, AdapterVersion:2.4.0.1"), std::string::npos)
        << first.output;
    const auto received = service.requests();
    EXPECT_TRUE(std::any_of(received.begin(), received.end(), [](const auto& request) {
        return request.method + " " + request.path == "GET /example/init";
    })) << service.timeline();

    auto configs = configRequests(service.requests());
    ASSERT_GE(configs.size(), 2u) << service.timeline();
    EXPECT_NE(configs[0].summary.find("primeMediation:200"), std::string::npos) << service.timeline();
    // The short-lived signals document is asked for again after the foreground cycle.
    EXPECT_NE(configs.back().summary.find("signals:"), std::string::npos) << service.timeline();
    EXPECT_EQ(service.eventCount("AppLaunch"), 1u) << service.timeline();
    // At start-up and on the return to the foreground (a transport retry could add one).
    EXPECT_GE(service.eventCount("AppOpen"), 2u) << service.timeline();

    // The same store again: the cached mediation document starts the SDK at once, the service
    // confirms what the SDK holds, and the install is not reported twice.
    service.clearRequests();
    service.setScenario(adserver::Scenario::defaults());  // the banners' answers from the start
    const test::ShellResult second = runDemo(service.baseUrl(), arguments + " --background-ms 0");
    ASSERT_EQ(second.exitCode, 0) << second.output;
    EXPECT_NE(second.output.find("(relaunch)"), std::string::npos) << second.output;
    configs = configRequests(service.requests());
    ASSERT_FALSE(configs.empty()) << service.timeline();
    bool mediationConfirmed = false;
    for (const auto& request : configs) {
        mediationConfirmed = mediationConfirmed || request.summary.find("primeMediation:304") != std::string::npos;
    }
    EXPECT_TRUE(mediationConfirmed) << service.timeline();
    EXPECT_EQ(service.eventCount("AppLaunch"), 0u) << service.timeline();
    EXPECT_GE(service.eventCount("AppOpen"), 1u) << service.timeline();
}

TEST_F(DemoTests, ExitsNonZeroWhenTheSdkDoesNotStart) {
    // The service's mediation document does not decode: the fetch succeeds without it, 1001.
    service.stop();
    AdService broken(adserver::Scenario::parse(
        R"({"configs":{"documents":{"primeMediation":{"content":{"adapters":"none"}}}}})"));
    ASSERT_TRUE(broken.start());
    const test::ShellResult refused = runDemo(broken.baseUrl(), "--store '" + store.string() + "' --wait-ms 2000");
    EXPECT_EQ(refused.exitCode, 1) << refused.output;
    EXPECT_NE(refused.output.find("ai.solen.SolenSDK 1001"), std::string::npos) << refused.output;
    EXPECT_EQ(broken.countOf(ServiceRequest::Kind::config), 1u);
    EXPECT_EQ(broken.eventCount("AppOpen"), 0u);
}

}  // namespace
}  // namespace solen

#endif
