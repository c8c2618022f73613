// Cost of one bid request body: every signal read, the document assembled, encoded and written
// as text, with all optional members present (consent, extras, location, SKAdNetwork ids).
#include "Ad/Network/BidRequestAssembler.h"
#include "Ad/Network/Signals/Identifiers.h"
#include "BidRequestFixture.h"

#include <benchmark/benchmark.h>

namespace solen {
namespace {

using bench::BidRequestFixture;


void BM_AssembleBidRequest(benchmark::State& state) {
    BidRequestFixture fixture;
    for (auto _ : state) {
        benchmark::DoNotOptimize(BidRequestAssembler::assemble("unit-1", fixture.impression));
    }
}
BENCHMARK(BM_AssembleBidRequest)->Unit(benchmark::kMicrosecond);

void BM_AssembleAndEncodeBidRequest(benchmark::State& state) {
    BidRequestFixture fixture;
    std::size_t bytes = 0;
    for (auto _ : state) {
        const auto body = BidRequestAssembler::assembleBody("unit-1", fixture.impression);
        bytes = body.body->size();
        benchmark::DoNotOptimize(body.body->data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_AssembleAndEncodeBidRequest)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace solen

BENCHMARK_MAIN();
