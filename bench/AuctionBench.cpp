// What the auction adds to a load, per tried line item: from `startAuction(with:)` to the win, every
// adapter answering inside its load, all but the last line item failing, every tracker sent to a
// transport that answers at once. The network adapter (`InstantNetwork`), the transport
// (`InstantSession`) and the manager (a flag) keep no books, so the figures are the SDK's.
//
// - BM_Waterfall/N: one batch of N ordinary line items (a waterfall of N-1 no-fills, then a fill).
// - BM_MixedBatches: 50 line items in 10 batches (five runs of nine ordinary line items, each
//   followed by one header-bidding line item).
// - BM_WaterfallWithoutTrackers/N: BM_Waterfall with line items that carry no tracker URLs (each
//   tried line item otherwise sends two: network load and network no-fill).
//
// Each reports, per tried line item, the wall time (`wall_us_per_item`) and the main thread's CPU
// time (`main_cpu_us_per_item`, which includes the main loop's brief spins while it waits for a
// hop), and the ratio of the wall time to as many bare round trips main -> global queue -> main,
// one after another, measured in the same iterations (`baseline_us` per auction).
#include "Ad/Managers/AuctionManager/Auctioneer.h"
#include "InstantNetwork.h"
#include "InstantSession.h"
#include "RoundTripBaseline.h"
#include "support/AdResponseBuilder.h"
#include "support/ScopedAdapterSettings.h"
#include "support/DispatchWait.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace solen {
namespace {

// Tells the end of an auction; nothing else.
class EndFlag final : public AuctioneerDelegate {
public:
    bool won = false;
    bool failed = false;
    void auctioneerDidFinishLoading(Auctioneer&, std::shared_ptr<platform::View>) override { won = true; }
    void auctioneerDidFailToLoadWith(Auctioneer&, AdError) override { failed = true; }
    void auctioneerDidInteract(Auctioneer&) override {}
    void userWillLeaveApplicationFrom(Auctioneer&) override {}
    void auctioneerWillPresentScreen(Auctioneer&) override {}
    void auctioneerDidPresentScreen(Auctioneer&) override {}
    void auctioneerWillDismissScreen(Auctioneer&) override {}
    void auctioneerDidDismissScreen(Auctioneer&) override {}
    void auctioneerDidFailToPresentWith(Auctioneer&, PresentationError) override {}
    void auctioneerRewardedActionCompletedWith(Auctioneer&, nlohmann::ordered_json) override {}
    void auctioneerDidAdImpression(Auctioneer&, std::optional<nlohmann::ordered_json>) override {}
    std::shared_ptr<platform::ViewController> viewControllerForModalPresentation() override { return nullptr; }
};

// The answer of an auction of `count` line items of the "instant" network (every `runLength`-th
// one of the header-bidding "instant-hb", when set), the last one filling.
// Without `trackers`, the line items carry no tracker URLs.
AdResponse answer(int count, int runLength, bool trackers = true) {
    test::AdResponseBuilder builder;
    for (int i = 0; i < count; ++i) {
        const bool header = runLength > 0 && i % runLength == runLength - 1;
        auto item = test::AdResponseBuilder::lineItem("L" + std::to_string(i), header ? "instant-hb" : "instant");
        if (!trackers) item.trackers = AdTrackers{};
        builder.add(std::move(item));
    }
    return builder.auctionTimeout(600000).build();
}

AdSetting bannerSetting() {
    AdSetting setting;
    setting.adType = AdFormat::banner;
    setting.adSize = AdSetting::Size{320, 50};
    return setting;
}

// The networks of the auctions, registered while alive.
struct Networks {
    explicit Networks(int count) : network("L" + std::to_string(count - 1)) {}
    test::ScopedAdapterSettings settings{{test::ScopedAdapterSettings::network("instant", "Instant", 10000),
                                          test::ScopedAdapterSettings::network("instant-hb", "Instant", 10000, true)}};
    bench::InstantNetwork network;
};

void auctions(benchmark::State& state, int count, int runLength, bool trackers = true) {
    bench::InstantSession::Installed session;
    Networks networks(count);
    const AdResponse response = answer(count, runLength, trackers);
    const AdSetting setting = bannerSetting();

    // The next auction's answer and manager are made before its timed region.
    AdResponse next = response;
    std::shared_ptr<EndFlag> manager = std::make_shared<EndFlag>();
    std::shared_ptr<Auctioneer> auctioneer;
    bench::measureAgainstRoundTrips(
        state, count, 1,
        [&] {
            auctioneer = Auctioneer::create(manager, setting);
            auctioneer->startAuction(std::move(next));
        },
        [&] { return manager->won || manager->failed; },
        [&] {
            if (!manager->won) state.SkipWithError("the auction did not win");
            auctioneer.reset();
            test::drainGlobalQueue();  // the auction's trackers are sent before the next one
            next = response;
            manager = std::make_shared<EndFlag>();
        });
}

void BM_Waterfall(benchmark::State& state) { auctions(state, static_cast<int>(state.range(0)), 0); }
BENCHMARK(BM_Waterfall)->Arg(10)->Arg(50)->Arg(1000)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_MixedBatches(benchmark::State& state) { auctions(state, 50, 10); }
BENCHMARK(BM_MixedBatches)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_WaterfallWithoutTrackers(benchmark::State& state) { auctions(state, static_cast<int>(state.range(0)), 0, false); }
BENCHMARK(BM_WaterfallWithoutTrackers)->Arg(50)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Runs one auction per answer, one after another; false when one did not win. Under callgrind,
// `--toggle-collect=*runAuctions*` counts exactly these instructions.
[[gnu::noinline]] bool runAuctions(std::vector<AdResponse>& answers) {
    for (AdResponse& answer : answers) {
        const auto manager = std::make_shared<EndFlag>();
        const auto auctioneer = Auctioneer::create(manager, bannerSetting());
        auctioneer->startAuction(std::move(answer));
        platform::MainLoop::shared().runUntil([&] { return manager->won || manager->failed; }, std::chrono::seconds(60));
        if (!manager->won) return false;
    }
    return true;
}

}  // namespace
}  // namespace solen

// `AuctionBench --auctions=A --items=N` runs A waterfall auctions of N line items one after
// another, without the benchmark library, for an instruction count under callgrind (take the main
// thread's count within `runAuctions`).
int main(int argc, char** argv) {
    using namespace solen;
    int auctionCount = -1;
    int items = 50;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--auctions=", 11) == 0) auctionCount = std::atoi(argv[i] + 11);
        if (std::strncmp(argv[i], "--items=", 8) == 0) items = std::atoi(argv[i] + 8);
    }
    if (auctionCount >= 0) {
        platform::MainLoop::shared().bindToCurrentThread();
        bench::InstantSession::Installed session;
        Networks networks(items);
        const AdResponse response = answer(items, 0);
        // Every auction's answer is copied before the first one starts.
        std::vector<AdResponse> answers(static_cast<std::size_t>(auctionCount), response);
        return runAuctions(answers) ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
