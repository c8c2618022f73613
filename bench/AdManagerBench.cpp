// What the ad managers and the auction add to a load: a banner, interstitial, rewarded or native
// load through its ad manager to its loaded report, over a scripted HTTP session answering a
// 50-line-item bid (the head fills at once), against assembling the same bid request and decoding
// the same answer alone; a public full-screen ad's show to its did-display callback, with a network
// that presents at once; and taking a loaded native ad's view from its template against the
// network adapter making the same template view directly.
#include "Ad/Managers/Manager/BannerAdManager.h"
#include "Ad/Managers/Manager/InterstitialAdManager.h"
#include "Ad/Managers/Manager/NativeAdManager.h"
#include "Ad/Network/BidRequestAssembler.h"
#include "Commons/Configs/ConfigDefaults.h"
#include "Commons/Network/NetworkServiceProvider.h"
#include "Platform/Device/OperatingSystem.h"
#include "Platform/Dispatch/MainLoop.h"
#include "Public/SdkStartup.h"
#include "support/AdResponseBuilder.h"
#include "support/ConfigAnswer.h"
#include "support/RecordingAdManagerDelegate.h"
#include "support/ScopedAdapterSettings.h"
#include "support/ScopedUserDefaults.h"
#include "support/ScriptedHttpSession.h"
#include "support/ScriptedNetwork.h"

#include <solen/adapters/SolenBaseNativeAdapter.h>
#include <solen/SolenInterstitial.h>

#include <benchmark/benchmark.h>

#include <atomic>

namespace solen {
namespace {

using namespace std::chrono_literals;
using HttpAnswer = test::ScriptedHttpSession::Answer;

std::string configAnswer() {
    PrimeAdsConfig client = ConfigDefaults::primeAds(0);
    client.fetchTimeout = 10000;
    return test::configAnswer({ConfigDefaults::root(0), ConfigDefaults::signals(), client,
                               MediationConfig{{}, std::vector<AdUnitsConfig>{}}, ConfigDefaults::analytics()});
}

// One initialised SDK over a scripted session, with the answer's network registered.
struct Environment {
    Environment() {
        test::AdResponseBuilder builder;
        for (int i = 0; i < 50; ++i) builder.add(test::AdResponseBuilder::lineItem("li-" + std::to_string(i), "acme"));
        AdResponse response = builder.auctionTimeout(5000).build();
        body = response.encode().dump();
        response.rewardedVideo = true;
        rewardedBody = response.encode().dump();
        // The answers are made once: a load pays for copying its answer's bytes, not for making them.
        session->setHandler([config = HttpAnswer::status(200, configAnswer()), bid = HttpAnswer::status(200, body),
                             rewardedBid = HttpAnswer::status(200, rewardedBody),
                             this](const platform::URLRequest& request) -> std::optional<HttpAnswer> {
            const std::string path = request.url() ? request.url()->path() : "";
            if (path.ends_with("/configs")) return config;
            if (path.ends_with("/bid")) return rewarded ? rewardedBid : bid;
            return std::nullopt;
        });
        NetworkServiceProvider::setSession(session);
        platform::OperatingSystem::setVersionProvider([] { return std::string("17.0"); });
        std::atomic<bool> done{false};
        SdkStartup::shared()->initialize(SolenSdkConfiguration("bench-app", {}),
                                         [&done](std::optional<SolenSdkError>) { done = true; });
        platform::MainLoop::shared().runUntil([&] { return done.load(); }, 10s);
    }

    test::ScopedUserDefaults defaults;
    std::shared_ptr<test::ScriptedHttpSession> session = test::ScriptedHttpSession::create();
    std::string body;
    std::string rewardedBody;
    std::atomic<bool> rewarded{false};  // answers with rewardedBody
    test::ScopedAdapterSettings settings{{test::ScopedAdapterSettings::network("acme", "Acme", 10000)}};
    test::ScriptedNetwork acme{"Acme", {AdFormat::banner, AdFormat::interstitial, AdFormat::rewarded, AdFormat::native},
                               test::ScriptedNetwork::Script{},
                               SdkInitializedResult::success(true)};
};

Environment& environment() {
    static Environment* instance = new Environment();
    return *instance;
}

AdSetting setting(AdFormat format = AdFormat::banner) {
    AdSetting setting;
    setting.adType = format;
    setting.adUnitId = "unit-1";
    setting.adSize = AdSetting::Size{320, 50};
    return setting;
}

// The baseline: the bid request of the load assembled and encoded, its answer decoded.
void BM_AssembleRequestAndDecodeAnswer(benchmark::State& state) {
    const std::string& body = environment().body;
    const AdSetting load = setting();
    for (auto _ : state) {
        auto request = BidRequestAssembler::assembleBody(*load.adUnitId, ImpressionInfo::from(load));
        benchmark::DoNotOptimize(request);
        auto response = AdResponse::decode(body);
        benchmark::DoNotOptimize(response);
    }
}
BENCHMARK(BM_AssembleRequestAndDecodeAnswer)->Unit(benchmark::kMicrosecond);

// Whole loads of `load` through the manager `create` makes: validation, fetch timer, bid exchange
// over the scripted session, the hops to main, the auction and the head's load through its
// wrapper, to the loaded report.
template <class Create>
void loadToFinish(benchmark::State& state, Create create, const AdSetting& load) {
    environment();
    auto& loop = platform::MainLoop::shared();
    const auto delegate = std::make_shared<test::RecordingAdManagerDelegate>();
    const auto manager = create(delegate);
    for (auto _ : state) {
        delegate->clear();
        manager->loadAd(load);
        if (!loop.runUntil([&] { return !delegate->events().empty(); }, 10s) ||
            delegate->events().front() != "didFinishLoading") {
            state.SkipWithError("the load did not finish");
            break;
        }
    }
}

void BM_BannerLoadToFinish(benchmark::State& state) {
    loadToFinish(state, [](const auto& delegate) { return BannerAdManager::create(delegate); }, setting());
}
BENCHMARK(BM_BannerLoadToFinish)->Unit(benchmark::kMicrosecond);

// The same load through the native ad manager.
void BM_NativeLoadToFinish(benchmark::State& state) {
    loadToFinish(state, [](const auto& delegate) { return NativeAdManager::create(delegate); },
                 setting(AdFormat::native));
}
BENCHMARK(BM_NativeLoadToFinish)->Unit(benchmark::kMicrosecond);

SolenAdViewConfiguration templateConfiguration() {
    SolenAdViewConfiguration configuration;
    configuration.adTemplateClass = SolenAdViewConfiguration::templateOf<test::ScriptedNativeTemplateView>();
    return configuration;
}

// A native ad manager with a loaded ad, made once.
const std::shared_ptr<NativeAdManager>& loadedNative() {
    static const auto delegate = std::make_shared<test::RecordingAdManagerDelegate>();
    static const std::shared_ptr<NativeAdManager> manager = [] {
        environment();
        auto made = NativeAdManager::create(delegate);
        made->loadAd(setting(AdFormat::native));
        platform::MainLoop::shared().runUntil([] { return !delegate->events().empty(); }, 10s);
        return made;
    }();
    return manager;
}

// The baseline: the loaded ad's network adapter makes the template view itself.
void BM_MakeTemplateViewDirectly(benchmark::State& state) {
    loadedNative();
    const auto adapter = std::dynamic_pointer_cast<SolenBaseNativeAdapter>(environment().acme.lastAdapter(AdFormat::native));
    if (!adapter) {
        state.SkipWithError("no loaded native ad");
        return;
    }
    const SolenAdViewConfiguration configuration = templateConfiguration();
    for (auto _ : state) {
        auto view = adapter->getAdView(configuration);
        benchmark::DoNotOptimize(view);
    }
    environment().acme.clearCalls();
}
BENCHMARK(BM_MakeTemplateViewDirectly)->Unit(benchmark::kMicrosecond);

// The same view taken through the manager: the machine, the winner's lookup and the view's link to
// its wrapper.
void BM_GetAdViewAfterALoad(benchmark::State& state) {
    const auto& manager = loadedNative();
    const SolenAdViewConfiguration configuration = templateConfiguration();
    for (auto _ : state) {
        auto view = manager->getNativeAdView(configuration);
        if (!view) {
            state.SkipWithError("no view");
            break;
        }
        benchmark::DoNotOptimize(view);
    }
    environment().acme.clearCalls();
}
BENCHMARK(BM_GetAdViewAfterALoad)->Unit(benchmark::kMicrosecond);

// Counts the interstitial ad manager's loaded reports.
struct LoadCounter final : InterstitialAdMangerDelegate {
    int loaded = 0;
    int other = 0;
    void adManagerDidFinishLoading(AdManager&, std::shared_ptr<platform::View>) override { ++loaded; }
    void adManagerDidFailToLoadWith(AdManager&, const AdError&) override { ++other; }
    void adManagerDidInteract(AdManager&) override {}
    void userWillLeaveApplicationFrom(AdManager&) override {}
    void adManagerWillPresentScreen(AdManager&) override {}
    void adManagerDidPresentScreen(AdManager&) override {}
    void adManagerWillDismissScreen(AdManager&) override {}
    void adManagerDidDismissScreen(AdManager&) override {}
    void adManagerDidAdImpression(AdManager&, std::optional<nlohmann::ordered_json>) override {}
    void adManagerRewardedActionCompletedWith(AdManager&, nlohmann::ordered_json) override {}
    void adManagerDidFailToPresentWith(AdManager&, const PresentationError&) override { ++other; }
};

// The same load as the banner's, for an interstitial placement; with `rewarded`, the answer turns
// it into a rewarded load.
void fullScreenLoads(benchmark::State& state, bool rewarded) {
    environment().rewarded = rewarded;
    auto& loop = platform::MainLoop::shared();
    const auto delegate = std::make_shared<LoadCounter>();
    AdSetting load = setting();
    load.adType = AdFormat::interstitial;
    for (auto _ : state) {
        // A fresh manager per load: a loaded full-screen ad takes no new load until it is shown.
        const auto manager = InterstitialAdManager::create(delegate);
        const int before = delegate->loaded;
        manager->loadAd(load);
        if (!loop.runUntil([&] { return delegate->loaded != before || delegate->other != 0; }, 10s) ||
            delegate->other != 0) {
            state.SkipWithError("the load did not finish");
            break;
        }
    }
    environment().rewarded = false;
}
void BM_InterstitialLoadToFinish(benchmark::State& state) { fullScreenLoads(state, false); }
void BM_RewardedLoadToFinish(benchmark::State& state) { fullScreenLoads(state, true); }
BENCHMARK(BM_InterstitialLoadToFinish)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RewardedLoadToFinish)->Unit(benchmark::kMicrosecond);

struct DisplayCounter final : SolenInterstitialDelegate {
    int loaded = 0;
    int displayed = 0;
    void solenInterstitialDidLoad(SolenInterstitial&) override { ++loaded; }
    void solenInterstitialDidDisplay(SolenInterstitial&) override { ++displayed; }
};

// show() of a loaded public interstitial to its solenInterstitialDidDisplay, the network
// presenting inside its show; making and loading the ad before are not timed.
void BM_InterstitialShowToDidDisplay(benchmark::State& state) {
    environment();
    auto& loop = platform::MainLoop::shared();
    const auto delegate = std::make_shared<DisplayCounter>();
    const auto viewController = platform::ViewController::create();
    for (auto _ : state) {
        state.PauseTiming();
        // A fresh ad per show: a shown one takes no new load until the network dismisses it.
        const auto ad = SolenInterstitial::create("unit-1", delegate);
        const int loaded = delegate->loaded;
        ad->load();
        const bool ready = loop.runUntil([&] { return delegate->loaded != loaded; }, 10s);
        const int displayed = delegate->displayed;
        state.ResumeTiming();
        if (!ready) {
            state.SkipWithError("the load did not finish");
            break;
        }
        ad->show(viewController);
        if (!loop.runUntil([&] { return delegate->displayed != displayed; }, 10s)) {
            state.SkipWithError("the ad was not displayed");
            break;
        }
    }
}
BENCHMARK(BM_InterstitialShowToDidDisplay)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace solen

BENCHMARK_MAIN();
