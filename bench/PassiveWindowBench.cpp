// What the waterfall window adds to a load: a batch of 50 line items through a window of 5, the
// first 49 answering no fill at once and the last one filling, with every tracker sent to a
// transport that answers at once. The time from `load(with:)` to the win is compared with 50 bare
// round trips main -> global queue -> main, 5 in flight, measured in the same iterations.
#include "Ad/Managers/AuctionManager/Bidders/Passive/PassiveBidder.h"
#include "RoundTripBaseline.h"
#include "support/AdResponseBuilder.h"
#include "support/RecordingAdBidderDelegate.h"
#include "support/ScopedAdapterSettings.h"
#include "support/ScriptedNetwork.h"
#include "support/TrackerCapture.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace solen {
namespace {

constexpr int lineItemCount = 50;
constexpr int windowSize = 5;

void passiveWindowWin(benchmark::State& state) {
    test::TrackerCapture capture;
    test::ScopedAdapterSettings settings({test::ScopedAdapterSettings::network("acme", "Acme", 10000)});
    const auto noFill = SolenAdapterError::noFill(SolenErrorData::ofClass("Acme", "no ad", "later"));
    test::ScriptedNetwork::Script script;
    script.loadAnswers = {test::ScriptedNetwork::LoadAnswer::failed(noFill)};
    std::vector<Ads> batch;
    for (int i = 0; i < lineItemCount; ++i) {
        batch.push_back(test::AdResponseBuilder::lineItem("L" + std::to_string(i), "acme"));
    }
    script.lineItemLoads[batch.back().lineItemId] = {{test::ScriptedNetwork::LoadAnswer::loaded()}, {}};
    test::ScriptedNetwork network("Acme", {AdFormat::banner}, script, SdkInitializedResult::success(true));

    std::shared_ptr<test::RecordingAdBidderDelegate> auction;
    std::shared_ptr<PassiveBidder> bidder;
    bench::measureAgainstRoundTrips(
        state, lineItemCount, windowSize,
        [&] {
            auction = std::make_shared<test::RecordingAdBidderDelegate>();
            bidder = PassiveBidder::create(auction, AdSetting(), windowSize);
            bidder->load(batch);
        },
        [&] { return auction->count("didFinishLoading") == 1; },
        [&] {
            network.clearCalls();
            capture.clear();
        });
}
BENCHMARK(passiveWindowWin)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace solen

BENCHMARK_MAIN();
