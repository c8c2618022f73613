// What the format wrappers add: a banner load whose network adapter answers at once, from `load`
// to the bidder's report on main, against the bare main -> global -> main round trip that any load
// makes; an interstitial load, show and will-present against that banner load; attaching and
// detaching a native view wired to its network adapter against a plain view; and the tracker
// firing of one moment against the tracker manager's own firing with a prepared macro list.
// Trackers go to a transport that drops them.
#include "Ad/Adapter/InternalAdapter/BannerAdapter.h"
#include "Ad/Adapter/InternalAdapter/InterstitialAdapter.h"
#include "Ad/Adapter/InternalAdapter/NativeAdapter.h"
#include "Ad/Managers/AuctionManager/AdTrackers/AdTracker.h"
#include "Commons/Network/NetworkServiceProvider.h"
#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Dispatch/MainLoop.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

namespace solen {
namespace {

using namespace std::chrono_literals;

// Sends nothing.
class DroppingTransport final : public NetworkServiceProvider {
public:
    DroppingTransport() : NetworkServiceProvider(nullptr) {}
    void send(std::shared_ptr<Request>) override {}
};

std::shared_ptr<TrackerManager> droppingTrackers() {
    static const auto manager = std::make_shared<TrackerManager>(
        std::make_shared<TrackerNetworkInterface>(std::make_shared<DroppingTransport>()),
        [] { return PrimeAdsConfig::EventReporting{}; });
    return manager;
}

// A network banner adapter that answers its load at once, from the loading thread.
class InstantBannerAdapter final : public SolenBaseBannerAdapter {
public:
    void load(const AdapterAdConfiguration&) override {
        if (const auto delegate = this->delegate()) {
            delegate->adAdapterDidLoad(*this, view_);
        }
    }
    std::optional<std::string> getCreativeId() override { return "cr-bench"; }
    std::shared_ptr<platform::View> getAdView() override { return view_; }

private:
    std::shared_ptr<platform::View> view_ = std::make_shared<platform::View>();
};

// An interstitial adapter that answers its load at once and announces the presentation as soon as
// it is asked to show.
class InstantInterstitialAdapter final : public SolenBaseInterstitialAdapter {
public:
    void load(const AdapterAdConfiguration&) override {
        if (const auto delegate = this->delegate()) {
            delegate->adAdapterDidLoad(*this, nullptr);
        }
    }
    std::optional<std::string> getCreativeId() override { return "cr-bench"; }
    bool isReady() override { return true; }
    void show(std::shared_ptr<platform::ViewController>) override {
        if (const auto delegate = this->delegate()) {
            delegate->adAdapterWillPresentScreen(*this);
        }
    }
};

// A native adapter that hands out plain native views and ignores what they tell it.
class QuietNativeAdapter final : public SolenBaseNativeAdapter {
public:
    void load(const AdapterAdConfiguration&) override {}
    std::optional<std::string> getCreativeId() override { return std::nullopt; }
    std::shared_ptr<SolenNativeAdView> getAdView(std::optional<SolenAdViewConfiguration>) override {
        return std::make_shared<SolenNativeAdView>();
    }
    void adViewAttached(bool) override {}
};

// Counts the load results and presentations it hears.
class CountingBidder final : public InternalBannerAdapterDelegate,
                             public InternalInterstitialAdapterDelegate,
                             public InternalNativeAdapterDelegate {
public:
    int results = 0;
    int presentations = 0;

    void adAdapterDidLoad(const std::shared_ptr<InternalAdAdapter>&, std::shared_ptr<platform::View>) override { ++results; }
    void adAdapterDidFail(const std::shared_ptr<InternalAdAdapter>&, SolenAdapterError) override { ++results; }
    void adAdapterDidInteract(const std::shared_ptr<InternalAdAdapter>&) override {}
    void userWillLeaveApplicationFrom(const std::shared_ptr<InternalAdAdapter>&) override {}
    void adAdapterWillPresentScreen(const std::shared_ptr<InternalAdAdapter>&) override { ++presentations; }
    void adAdapterDidPresentScreen(const std::shared_ptr<InternalAdAdapter>&) override {}
    void adAdapterWillDismissScreen(const std::shared_ptr<InternalAdAdapter>&) override {}
    void adAdapterDidDismissScreen(const std::shared_ptr<InternalAdAdapter>&) override {}
    void adAdapterDidFailToPresentWith(const std::shared_ptr<InternalAdAdapter>&, PresentationError) override {}
    void adapterDidAdImpression(const std::shared_ptr<InternalAdAdapter>&) override {}
    std::shared_ptr<platform::ViewController> viewControllerForModalPresentation() override { return nullptr; }
};

Ads benchLineItem() {
    Ads ad;
    ad.lineItemId = "li-bench";
    ad.networkId = "bench-network";  // not registered: no SDK-level check, like most line items
    const auto list = [](const char* moment) {
        return std::vector<std::string>{std::string("https://t.example.test/") + moment +
                                        "?cr=$CR_ID&nl=$NETWORK_LATENCY&dr=$DROP_REASON"};
    };
    ad.trackers.networkLoad = list("load");
    ad.trackers.networkFill = list("fill");
    ad.trackers.networkNoFill = list("nofill");
    ad.trackers.bidLoss = list("loss");
    return ad;
}

void runMainUntil(const std::function<bool()>& done, benchmark::State& state) {
    if (!platform::MainLoop::shared().runUntil(done, 5s)) {
        state.SkipWithError("the main loop did not get the answer");
    }
}

// The hops every load makes: main submits to the global queue, which answers on main.
void BM_MainGlobalMainRoundTrip(benchmark::State& state) {
    platform::MainLoop::shared().bindToCurrentThread();
    int answers = 0;
    for (auto _ : state) {
        const int before = answers;
        platform::DispatchQueue::global()->async([&answers] { platform::performOnMainQueue([&answers] { ++answers; }); });
        runMainUntil([&] { return answers > before; }, state);
    }
}
BENCHMARK(BM_MainGlobalMainRoundTrip);

// One banner line item through its wrapper: shared load (network-load tracker, readiness, load
// timer), the adapter's load on the global queue, its answer back on main (fill tracker, report).
void BM_BannerWrapperLoad(benchmark::State& state) {
    platform::MainLoop::shared().bindToCurrentThread();
    const auto bidder = std::make_shared<CountingBidder>();
    const Ads lineItem = benchLineItem();
    for (auto _ : state) {
        const int before = bidder->results;
        const auto wrapper =
            BannerAdapter::create(std::make_shared<InstantBannerAdapter>(), bidder, droppingTrackers());
        wrapper->load(lineItem, AdapterAdConfiguration(), 5000);
        runMainUntil([&] { return bidder->results > before; }, state);
    }
}
BENCHMARK(BM_BannerWrapperLoad);

// One interstitial line item through its wrapper: the same load, then what the show path does
// (render timer, the network's show) until the bidder hears the will-present on main.
void BM_InterstitialWrapperLoadShow(benchmark::State& state) {
    platform::MainLoop::shared().bindToCurrentThread();
    const auto bidder = std::make_shared<CountingBidder>();
    const Ads lineItem = benchLineItem();
    for (auto _ : state) {
        const int loadsBefore = bidder->results;
        const int presentationsBefore = bidder->presentations;
        const auto adapter = std::make_shared<InstantInterstitialAdapter>();
        const auto wrapper = InterstitialAdapter::create(adapter, bidder, droppingTrackers());
        wrapper->load(lineItem, AdapterAdConfiguration(), 5000);
        runMainUntil([&] { return bidder->results > loadsBefore; }, state);
        wrapper->startAdRenderTimer(5000);
        adapter->show(nullptr);
        runMainUntil([&] { return bidder->presentations > presentationsBefore; }, state);
    }
}
BENCHMARK(BM_InterstitialWrapperLoadShow);

// 1000 moves of a view into a superview and out again.
void attachCycles(platform::View& superview, const std::shared_ptr<platform::View>& view) {
    for (int i = 0; i < 1000; ++i) {
        superview.addSubview(view);
        view->removeFromSuperview();
    }
}

void BM_PlainViewAttachCycles(benchmark::State& state) {
    const auto superview = platform::View::create();
    const auto view = platform::View::create();
    for (auto _ : state) {
        attachCycles(*superview, view);
    }
}
BENCHMARK(BM_PlainViewAttachCycles);

// The same with a native view that tells its network adapter through the wrapper's link.
void BM_WiredNativeViewAttachCycles(benchmark::State& state) {
    const auto bidder = std::make_shared<CountingBidder>();
    const auto wrapper = NativeAdapter::create(std::make_shared<QuietNativeAdapter>(), bidder, droppingTrackers());
    const auto superview = platform::View::create();
    const auto view = wrapper->getAdView(SolenAdViewConfiguration());
    for (auto _ : state) {
        attachCycles(*superview, view);
    }
}
BENCHMARK(BM_WiredNativeViewAttachCycles);

std::vector<std::string> tenTrackers() {
    std::vector<std::string> urls;
    for (int i = 0; i < 10; ++i) {
        urls.push_back("https://t.example.test/bidloss/" + std::to_string(i) +
                       "?imp=$IMP&cr=$CR_ID&dr=$DROP_REASON&dd=$DROP_DESCRIPTOR&nl=$NETWORK_LATENCY");
    }
    return urls;
}

// The tracker manager with a macro list made once.
void BM_TrackerManagerFirePrepared(benchmark::State& state) {
    const auto urls = tenTrackers();
    const auto macros = TrackerData::list("", "cr-7", std::nullopt, "NoFill", "[\"domain\": \"ai.solen.X\"]");
    for (auto _ : state) {
        droppingTrackers()->fire(urls, macros);
    }
}
BENCHMARK(BM_TrackerManagerFirePrepared);

// The same moment fired by kind: its eight values are made for each firing.
void BM_FireAdTrackerByKind(benchmark::State& state) {
    const auto urls = tenTrackers();
    const AdTracker tracker(droppingTrackers());
    for (auto _ : state) {
        tracker.fireAdTracker(urls, Trackers::bidLoss("", "cr-7", "NoFill", "[\"domain\": \"ai.solen.X\"]"));
    }
}
BENCHMARK(BM_FireAdTrackerByKind);

}  // namespace
}  // namespace solen

BENCHMARK_MAIN();
