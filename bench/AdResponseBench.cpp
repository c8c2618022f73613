// What a load costs the SDK between the bid answer and the auction: decoding the ad response, and
// preparing its tracker URLs by macro substitution.
#include "Ad/Network/Models/AdResponse.h"
#include "Commons/Trackers/TrackerData.h"
#include "DecodeOnlyTiming.h"

#include <benchmark/benchmark.h>
#include <simdjson.h>

#include <string>
#include <vector>

namespace {

std::string lineItem(int index) {
    const std::string id = std::to_string(index);
    const std::string base = "https://track.example.test/e?li=" + id;
    std::string trackers;
    for (const char* list : {"networkLoad", "networkFill", "networkNoFill", "adFill", "bidLoss", "impression", "click"}) {
        trackers += std::string(trackers.empty() ? "" : ",") + "\"" + list + "\":[\"" + base + "&ev=" + list +
                    "&imp=$IMP&cr=$CR_ID&nl=$NETWORK_LATENCY&dr=$DROP_REASON&dd=$DROP_DESCRIPTOR\"]";
    }
    std::string item = R"({"lineItemId":"li-)" + id + R"(","networkId":"net-)" + std::to_string(index % 7) +
                       R"(","lineItemMeta":{"placementId":"p-)" + id + R"(","floor":1.25,"tags":["a","b"]},)" +
                       R"("s2s":)" + (index % 5 == 0 ? "true" : "false") + R"(,"timeout":3000,"impressionData":)" +
                       R"({"revenue":0.0012,"currency":"USD","precision":"estimated"},"trackers":{)" + trackers + "}";
    if (index % 5 == 0) {
        item += R"(,"adm":"PGRpdj5BZDwvZGl2Pg==","creative":{"markupType":2,"creativeId":"cr-)" + id +
                R"(","pubContent":{"title":{"required":true,"value":"Title"},"description":{"required":false,)" +
                R"("value":"A description"},"sponsored":{"required":true,"value":"Brand"},"media":{"type":1,)" +
                R"("content":{"required":true,"url":"https://img.example.test/a.png"}},"cta":{"required":false,)" +
                R"("value":"Install","onClick":{"url":"https://land.example.test","openMode":2,)" +
                R"("clickTrackers":["https://track.example.test/c"]}}}})";
    }
    return item + "}";
}

std::string responseBody(int lineItems) {
    std::string ads;
    for (int i = 0; i < lineItems; ++i) {
        if (i > 0) {
            ads += ',';
        }
        ads += lineItem(i);
    }
    return R"({"requestId":"b1c9","refreshConfig":false,"noAdFillEventUrl":"https://track.example.test/nf?l=$LOAD_LATENCY",)"
           R"("auctionTimeout":5000,"rewardedVideo":false,"ads":[)" + ads + "]}";
}

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
