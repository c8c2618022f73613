// What adapter discovery adds to a load: a bid request (every other signal present) with five
// started header-bidding networks (200-byte tokens) against the same request for an ad unit
// without them, and one lookup of a network's SDK adapter by name.
#include "Ad/Adapter/AdapterFactory.h"
#include "Ad/Adapter/AdapterUtils.h"
#include "Ad/Network/BidRequestAssembler.h"
#include "Commons/Configs/SettingsManager.h"
#include "BidRequestFixture.h"
#include "Platform/Foundation/ClassRegistry.h"

#include <solen/adapters/SolenSDKAdapter.h>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace solen {
namespace {

class BenchSDKAdapter : public SolenSDKAdapter<BenchSDKAdapter> {
public:
    static SdkInitializedResult initialSdkInitializedResult() { return SdkInitializedResult::success(true); }
    std::string networkSDKVersion() const override { return "4.2.0"; }
    std::string adapterVersion() const override { return "4.2.0.0"; }
    void initOnSDKInit(const AdapterSdkConfiguration&, SdkInitializedResultHandler handler) override {
        handler(SdkInitializedResult::success(true));
    }
    std::optional<SdkInitializedResult> initOnAdLoad(const AdapterSdkConfiguration&) override { return std::nullopt; }
    std::optional<std::string> getBidToken(const AdapterSdkConfiguration&) override { return std::string(200, 'k'); }
};

constexpr int networkCount = 5;

class DiscoveryFixture {
public:
    DiscoveryFixture() {
        std::vector<AdapterConfig> networks;
        std::vector<std::string> ids;
        for (int i = 0; i < networkCount; ++i) {
            const std::string name = "Bench" + std::to_string(i);
            registrations_.push_back(std::make_unique<platform::ClassRegistry::ScopedRegistration>(
                platform::ClassRegistry::Class::make<BenchSDKAdapter, SolenBaseSDKAdapter>(
                    "Solen" + name + "Adapter." + name + "SDKAdapter")));
            networks.push_back({"bench-" + std::to_string(i), name, Json{{"appKey", "key"}}, true, 1000});
            ids.push_back(networks.back().networkId);
        }
        SettingsManager::shared()->fillAdapterSettings(networks);
        SettingsManager::shared()->setAdUnits(
            std::vector<AdUnitsConfig>{{"bench-hb", 0, ids}, {"bench-plain", 0, std::nullopt}});
        network = networks.front();
    }

    AdapterConfig network;
    // Every other signal of the request present, as in the bid request benchmark.
    bench::BidRequestFixture request;

private:
    std::vector<std::unique_ptr<platform::ClassRegistry::ScopedRegistration>> registrations_;
};

// Argument 0: the ad unit without header bidders; 1: with the five.
void BM_AssembleAndEncodeBidRequest(benchmark::State& state) {
    DiscoveryFixture fixture;
    const std::string unit = state.range(0) ? "bench-hb" : "bench-plain";
    std::size_t bytes = 0;
    for (auto _ : state) {
        const auto body = BidRequestAssembler::assembleBody(unit, fixture.request.impression);
        bytes = body.body->size();
        benchmark::DoNotOptimize(body.body->data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_AssembleAndEncodeBidRequest)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The header-bidding data alone: five lookups and tokens.
void BM_FetchTPSdksData(benchmark::State& state) {
    DiscoveryFixture fixture;
    for (auto _ : state) {
        benchmark::DoNotOptimize(AdapterUtils::fetchTPSdksData("bench-hb"));
    }
}
BENCHMARK(BM_FetchTPSdksData)->Unit(benchmark::kMicrosecond);

void BM_SdkAdapterLookup(benchmark::State& state) {
    DiscoveryFixture fixture;
    for (auto _ : state) {
        benchmark::DoNotOptimize(AdapterFactory::sdkAdapter(fixture.network));
    }
}
BENCHMARK(BM_SdkAdapterLookup);

}  // namespace
}  // namespace solen

BENCHMARK_MAIN();
