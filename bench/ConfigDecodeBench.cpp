#include "Commons/Configs/ConfigDefaults.h"
#include "Commons/Configs/ConfigDocument.h"
#include "Commons/Configs/Network/ConfigResponse.h"
#include "Commons/Json/JsonWriter.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using solen::Json;

// A mediation document the size of a large publisher's: 50 networks with settings, 200 ad units
// with header-bidding lists.
std::string mediationText() {
    Json adapters = Json::array();
    for (int i = 0; i < 50; ++i) {
        const std::string id = "network-" + std::to_string(i);
        adapters.push_back({{"networkId", id},
                            {"adapterName", "Adapter" + std::to_string(i)},
                            {"adapterMeta", {{"appKey", "key-" + id}, {"placements", {"p1", "p2", "p3"}}, {"weight", 0.5 + i}}},
                            {"headerBidder", i % 3 == 0},
                            {"timeout", 3000 + i}});
    }
    Json adUnits = Json::array();
    for (int i = 0; i < 200; ++i) {
        adUnits.push_back({{"adUnitId", "ad-unit-" + std::to_string(i)},
                           {"refresh", (i % 4) * 15000},
                           {"hbNetworks", {"network-0", "network-3", "network-6", "network-9"}}});
    }
    return Json{{"adapters", adapters}, {"adUnits", adUnits}}.dump();
}

void BM_DecodeMediationDocument(benchmark::State& state) {
    const std::string text = mediationText();
    for (auto _ : state) {
        auto document = solen::decodeConfigDocument(solen::ConfigType::primeMediation, text);
        benchmark::DoNotOptimize(document);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.counters["bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_DecodeMediationDocument)->Unit(benchmark::kMicrosecond);

// The JSON parse alone, to tell the strict decoding's share from the parser's.
void BM_ParseMediationText(benchmark::State& state) {
    const std::string text = mediationText();
    for (auto _ : state) {
        auto value = solen::JsonReader::parse(text);
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(BM_ParseMediationText)->Unit(benchmark::kMicrosecond);

void BM_EncodeMediationDocument(benchmark::State& state) {
    const auto document = solen::decodeConfigDocument(solen::ConfigType::primeMediation, mediationText());
    for (auto _ : state) {
        std::string text = solen::encodeConfigDocument(document).dump();
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_EncodeMediationDocument)->Unit(benchmark::kMicrosecond);

// A whole first-start answer: the five documents in one response body.
void BM_DecodeFullConfigResponse(benchmark::State& state) {
    const auto entry = [](const char* type, Json content) {
        return Json{{"type", type}, {"status", 200}, {"lastUpdatedTs", 1700000000123}, {"content", std::move(content)}};
    };
    const std::string body =
        Json{{"configs",
              {entry("root", solen::JsonWriter::encode(solen::ConfigDefaults::root(0))),
               entry("signals", solen::JsonWriter::encode(solen::ConfigDefaults::signals())),
               entry("primeAds", solen::JsonWriter::encode(solen::ConfigDefaults::primeAds(0))),
               entry("analytics", solen::JsonWriter::encode(solen::ConfigDefaults::analytics())),
               entry("primeMediation", Json::parse(mediationText()))}}}
            .dump();
    for (auto _ : state) {
        auto response = solen::ConfigResponse::fromBody(body);
        benchmark::DoNotOptimize(response);
    }
}
BENCHMARK(BM_DecodeFullConfigResponse)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
