// Memory of decoding: a configuration answer at the transport's limit, and what a decoded ad
// response holds per line item. A program of its own: the counting allocator counts every
// allocation of the process, which would slow the timing benchmarks.
#include "Ad/Network/Models/AdResponse.h"
#include "Commons/Configs/Network/ConfigResponse.h"

#include "AdResponseFixture.h"
#include "CountingAllocator.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>
#include <string>

namespace {

// Peak heap growth while decoding a valid answer of close to 4 MiB (the transport's limit for
// configuration answers): the bytes held at the worst moment above those held before, counted by
// the allocator below, and the growth of resident memory over the same decode.
std::string answerOfAbout4MiB() {
    const std::size_t limit = std::size_t{4} << 20;
    std::string adapters;
    for (int i = 0; i < 50; ++i) {
        const std::string id = "network-" + std::to_string(i);
        adapters += (i == 0 ? "" : ",") + std::string(R"({"networkId":")") + id + R"(","adapterName":"Adapter)" +
                    std::to_string(i) + R"(","adapterMeta":{"appKey":"key-)" + id +
                    R"(","placements":["p1","p2","p3"],"weight":)" + std::to_string(i) +
                    R"(.5},"headerBidder":false,"timeout":3000})";
    }
    const std::string head = R"({"configs":[{"type":"primeMediation","status":200,"lastUpdatedTs":1,"content":{"adapters":[)" +
                             adapters + R"(],"adUnits":[)";
    const std::string tail = "]}}]}";
    std::string units;
    for (int i = 0;; ++i) {
        const std::string unit = std::string(i == 0 ? "" : ",") + R"({"adUnitId":"ad-unit-)" + std::to_string(i) +
                                 R"(","refresh":30000,"hbNetworks":["network-0","network-3","network-6","network-9"]})";
        if (head.size() + units.size() + unit.size() + tail.size() > limit) {
            break;
        }
        units += unit;
    }
    return head + units + tail;
}

std::size_t residentKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::stoul(line.substr(std::strlen(field)));
        }
    }
    return 0;
}

void BM_PeakHeapDecoding4MiBAnswer(benchmark::State& state) {
    const std::string body = answerOfAbout4MiB();
    double heapRatio = 0;
    double residentRatio = 0;
    for (auto _ : state) {
        malloc_trim(0);
        std::ofstream("/proc/self/clear_refs") << "5";  // resets the resident high-water mark
        const std::size_t residentBefore = residentKilobytes("VmRSS:");
        const std::size_t heapBefore = heapLive.load();
        heapPeak = heapBefore;
        {
            auto response = solen::ConfigResponse::fromBody(body);
            benchmark::DoNotOptimize(response);
        }
        heapRatio = static_cast<double>(heapPeak.load() - heapBefore) / static_cast<double>(body.size());
        residentRatio = static_cast<double>(residentKilobytes("VmHWM:") - residentBefore) * 1024.0 /
                        static_cast<double>(body.size());
    }
    state.counters["bytes"] = static_cast<double>(body.size());
    state.counters["heap_peak_x"] = heapRatio;
    state.counters["resident_peak_x"] = residentRatio;
}
BENCHMARK(BM_PeakHeapDecoding4MiBAnswer)->Unit(benchmark::kMillisecond)->Iterations(3);

// Heap held by the decoded 50-item response of the decoding benchmarks, and the allocations its
// decode makes, per line item; "held_with_values_read" once every free-form value has been read.
void BM_HeldByDecodedAdResponse(benchmark::State& state) {
    const std::string body = solen::bench::responseBody(50);
    double held = 0;
    double heldRead = 0;
    double allocations = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const std::size_t heapBefore = heapLive.load();
        const std::size_t allocationsBefore = heapAllocations.load();
        auto response = solen::AdResponse::decode(body);
        allocations = static_cast<double>(heapAllocations.load() - allocationsBefore);
        held = static_cast<double>(heapLive.load() - heapBefore);
        for (const auto& ad : response.ads) {
            for (const auto* value : {&ad.lineItemMeta, &ad.impressionData}) {
                if (*value) {
                    benchmark::DoNotOptimize((*value)->size());
                }
            }
        }
        heldRead = static_cast<double>(heapLive.load() - heapBefore);
        benchmark::DoNotOptimize(response);
    }
    const double lineItems = 50;
    state.counters["held_per_line_item"] = held / lineItems;
    state.counters["held_with_values_read"] = heldRead / lineItems;
    state.counters["allocations_per_line_item"] = allocations / lineItems;
}
BENCHMARK(BM_HeldByDecodedAdResponse)->Unit(benchmark::kMicrosecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
