// What a load costs the SDK between the bid answer and the auction: decoding the ad response, and
// preparing its tracker URLs by macro substitution.
#include "Ad/Network/Models/AdResponse.h"
#include "Commons/Trackers/TrackerData.h"
#include "AdResponseFixture.h"
#include "DecodeOnlyTiming.h"

#include <benchmark/benchmark.h>
#include <simdjson.h>

#include <string>
#include <vector>

namespace {

using solen::bench::freeFormAnswer;
using solen::bench::responseBody;
using solen::bench::threadSeconds;

void BM_DecodeAdResponse50LineItems(benchmark::State& state) {
    const std::string body = responseBody(50);
    for (auto _ : state) {
        auto response = solen::AdResponse::decode(body);
        benchmark::DoNotOptimize(response);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_DecodeAdResponse50LineItems)->Unit(benchmark::kMicrosecond);

// The decode alone, the decoded responses released outside the timed region.
void BM_DecodeOnlyAdResponse50LineItems(benchmark::State& state) {
    const std::string body = responseBody(50);
    solen::bench::timeDecodeOnly(state, [&] { return solen::AdResponse::decode(body); });
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_DecodeOnlyAdResponse50LineItems)->Unit(benchmark::kMicrosecond);

// The fastest parse of the same bytes (a reused simdjson DOM parser, nothing decoded): the floor
// the strict decode above is measured against.
void BM_PlainParseAdResponse50LineItems(benchmark::State& state) {
    const std::string body = responseBody(50);
    simdjson::dom::parser parser;
    for (auto _ : state) {
        auto root = parser.parse(body.data(), body.size());
        benchmark::DoNotOptimize(root.error());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_PlainParseAdResponse50LineItems)->Unit(benchmark::kMicrosecond);

// The decode and the plain parse of the 50-item response in turn, each iteration, so that both see
// the same machine load.
void BM_AdResponse50LineItemsAgainstPlainParse(benchmark::State& state) {
    const std::string body = responseBody(50);
    solen::bench::timeAgainstPlainParse(state, body, [&] { return solen::AdResponse::decode(body); });
}
BENCHMARK(BM_AdResponse50LineItemsAgainstPlainParse)->Unit(benchmark::kMicrosecond);

// The answer of free-form objects and the same bytes as strings, decoded (and released) in turn
// each iteration: "ratio" is the time of the objects against the time of the strings.
void BM_FreeFormAnswer4MiBAgainstStrings(benchmark::State& state) {
    const std::string objects = freeFormAnswer(false);
    const std::string strings = freeFormAnswer(true);
    if (objects.size() != strings.size()) {
        state.SkipWithError("the two answers differ in size");
        return;
    }
    double objectSeconds = 0;
    double stringSeconds = 0;
    for (auto _ : state) {
        const double t0 = threadSeconds();
        benchmark::DoNotOptimize(solen::AdResponse::decode(strings).ads.size());
        const double t1 = threadSeconds();
        benchmark::DoNotOptimize(solen::AdResponse::decode(objects).ads.size());
        const double t2 = threadSeconds();
        stringSeconds += t1 - t0;
        objectSeconds += t2 - t1;
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["bytes"] = static_cast<double>(objects.size());
    state.counters["objects_ms"] = objectSeconds / iterations * 1e3;
    state.counters["strings_ms"] = stringSeconds / iterations * 1e3;
    state.counters["objects_us_per_KB"] = objectSeconds / iterations * 1e6 / (static_cast<double>(objects.size()) / 1024);
    state.counters["ratio"] = objectSeconds / stringSeconds;
}
BENCHMARK(BM_FreeFormAnswer4MiBAgainstStrings)->Unit(benchmark::kMillisecond);

void BM_SubstituteMacros1000Urls(benchmark::State& state) {
    std::vector<std::string> urls;
    for (int i = 0; i < 1000; ++i) {
        urls.push_back("https://track.example.test/e?li=" + std::to_string(i) +
                       "&imp=$IMP&cr=$CR_ID&nl=$NETWORK_LATENCY&dr=$DROP_REASON&dd=$DROP_DESCRIPTOR&r=$RENDER_LATENCY");
    }
    const auto data = solen::TrackerData::list("imp-7f3a", "cr 42", "118", "NoFill", R"(["Info": "no fill & done"])",
                                               "512", std::nullopt, "730");
    for (auto _ : state) {
        for (const auto& url : urls) {
            auto substituted = solen::TrackerData::substitute(url, data);
            benchmark::DoNotOptimize(substituted);
        }
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_SubstituteMacros1000Urls)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
