// What the auction adds to a load: 50 line items in 10 batches (five runs of nine ordinary line
// items, each followed by one header-bidding line item), every adapter answering at once, all but
// the last failing, every tracker sent to a transport that answers at once. The time from
// `startAuction(with:)` to the win is compared with 50 bare round trips main -> global queue ->
// main, one after another, measured in the same iterations.
#include "Ad/Managers/AuctionManager/Auctioneer.h"
#include "RoundTripBaseline.h"
#include "support/AdResponseBuilder.h"
#include "support/RecordingAuctioneerDelegate.h"
#include "support/ScopedAdapterSettings.h"
#include "support/ScriptedNetwork.h"
#include "support/TrackerCapture.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace solen {
namespace {

using Answer = test::ScriptedNetwork::LoadAnswer;

constexpr int lineItemCount = 50;
constexpr int runLength = 10;  // nine ordinary line items, then one header-bidding line item

void auctionWin(benchmark::State& state) {
    test::TrackerCapture capture;
    test::ScopedAdapterSettings settings({test::ScopedAdapterSettings::network("acme", "Acme", 10000),
                                          test::ScopedAdapterSettings::network("hb", "Hb", 10000, true)});
    const auto noFill = SolenAdapterError::noFill(SolenErrorData::ofClass("Net", "no ad", "later"));
    test::ScriptedNetwork::Script script;
    script.loadAnswers = {Answer::failed(noFill)};
    test::ScriptedNetwork acme("Acme", {AdFormat::banner}, script, SdkInitializedResult::success(true));
    script.lineItemLoads["L" + std::to_string(lineItemCount - 1)] = {{Answer::loaded()}, {}};
    test::ScriptedNetwork hb("Hb", {AdFormat::banner}, script, SdkInitializedResult::success(true));
    test::AdResponseBuilder builder;
    for (int i = 0; i < lineItemCount; ++i) {
        builder.add(test::AdResponseBuilder::lineItem("L" + std::to_string(i), i % runLength == runLength - 1 ? "hb" : "acme"));
    }
    const AdResponse response = builder.auctionTimeout(60000).build();

    std::shared_ptr<test::RecordingAuctioneerDelegate> manager;
    std::shared_ptr<Auctioneer> auctioneer;
    bench::measureAgainstRoundTrips(
        state, lineItemCount, 1,
        [&] {
            manager = std::make_shared<test::RecordingAuctioneerDelegate>();
            AdSetting setting;
            auctioneer = Auctioneer::create(manager, setting);
            auctioneer->startAuction(response);
        },
        [&] { return manager->events() == std::vector<std::string>{"didFinishLoading"}; },
        [&] {
            acme.clearCalls();
            hb.clearCalls();
            capture.clear();
        });
}
BENCHMARK(auctionWin)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace solen

BENCHMARK_MAIN();
