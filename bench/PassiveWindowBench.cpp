// What the waterfall window adds to a load: a batch of 50 line items through a window of 5, the
// first 49 answering no fill at once and the last one filling, with every tracker sent to a
// transport that answers at once. The time from `load(with:)` to the win is compared with 50 bare
// round trips main -> global queue -> main, 5 in flight, measured in the same iterations. The
// network (`InstantNetwork`) keeps no books.
#include "Ad/Managers/AuctionManager/Bidders/Passive/PassiveBidder.h"
#include "InstantNetwork.h"
#include "RoundTripBaseline.h"
#include "support/AdResponseBuilder.h"
#include "support/RecordingAdBidderDelegate.h"
#include "support/ScopedAdapterSettings.h"
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
    test::ScopedAdapterSettings settings({test::ScopedAdapterSettings::network("instant", "Instant", 10000)});
    std::vector<Ads> batch;
    for (int i = 0; i < lineItemCount; ++i) {
        batch.push_back(test::AdResponseBuilder::lineItem("L" + std::to_string(i), "instant"));
    }
    bench::InstantNetwork network(batch.back().lineItemId);

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
        [&] { capture.clear(); });
}
BENCHMARK(passiveWindowWin)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace solen

BENCHMARK_MAIN();
