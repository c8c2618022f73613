#include "Commons/Configs/ConfigDefaults.h"
#include "Commons/Configs/ConfigDocument.h"
#include "Commons/Configs/Network/ConfigResponse.h"
#include "Commons/Json/JsonWriter.h"
#include "DecodeOnlyTiming.h"

#include <benchmark/benchmark.h>
#include <simdjson.h>

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

// The decode alone, the decoded documents released outside the timed region.
void BM_DecodeOnlyMediationDocument(benchmark::State& state) {
    const std::string text = mediationText();
    solen::bench::timeDecodeOnly(state, [&] { return solen::decodeConfigDocument(solen::ConfigType::primeMediation, text); });
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_DecodeOnlyMediationDocument)->Unit(benchmark::kMicrosecond);

// The fastest parse of the same bytes (a reused simdjson DOM parser, nothing decoded): the floor
// the strict decode above is measured against.
void BM_PlainParseMediationText(benchmark::State& state) {
    const std::string text = mediationText();
    simdjson::dom::parser parser;
    for (auto _ : state) {
        auto root = parser.parse(text.data(), text.size());
        benchmark::DoNotOptimize(root.error());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_PlainParseMediationText)->Unit(benchmark::kMicrosecond);

// The decode and the plain parse of the mediation document in turn, each iteration.
void BM_MediationDocumentAgainstPlainParse(benchmark::State& state) {
    const std::string text = mediationText();
    solen::bench::timeAgainstPlainParse(
        state, text, [&] { return solen::decodeConfigDocument(solen::ConfigType::primeMediation, text); });
}
BENCHMARK(BM_MediationDocumentAgainstPlainParse)->Unit(benchmark::kMicrosecond);

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

// A configuration answer whose mediation document holds one object with `keys` distinct keys:
// the adapter's free-form settings (range(1) == 0) or the document itself, whose unknown keys are
// skipped (range(1) == 1). Time per key must not grow with the count.
std::string answerWithKeys(std::int64_t keys, bool inDocument) {
    std::string many;
    for (std::int64_t i = 0; i < keys; ++i) {
        many += (i == 0 ? "\"k" : ",\"k") + std::to_string(i) + "\":" + std::to_string(i);
    }
    const std::string adapter = R"({"networkId":"n","adapterName":"A","headerBidder":false,"timeout":3000)" +
                                (inDocument ? std::string() : R"(,"adapterMeta":{)" + many + "}") + "}";
    const std::string content = R"({"adapters":[)" + adapter + R"(],"adUnits":[])" + (inDocument ? "," + many : "") + "}";
    return R"({"configs":[{"type":"primeMediation","status":200,"lastUpdatedTs":1,"content":)" + content + "}]}";
}

void BM_DecodeAnswerWithManyKeys(benchmark::State& state) {
    const std::string body = answerWithKeys(state.range(0), state.range(1) == 1);
    for (auto _ : state) {
        auto response = solen::ConfigResponse::fromBody(body);
        if (response.configs.size() != 1) {
            state.SkipWithError("the answer did not decode");
        }
        benchmark::DoNotOptimize(response);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["ns_per_key"] = benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)),
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                                                      benchmark::Counter::kIs1000);
    state.counters["bytes"] = static_cast<double>(body.size());
}
BENCHMARK(BM_DecodeAnswerWithManyKeys)
    ->ArgsProduct({{10000, 100000, 400000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
