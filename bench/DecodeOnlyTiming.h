#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>
#include <vector>

namespace solen::bench {

// Times `decode()` alone: the decoded values are kept and released in batches outside the timed
// region, as a plain parse that keeps its document in its parser for the next one never releases
// what it parsed.
template <class Decode>
void timeDecodeOnly(benchmark::State& state, Decode&& decode) {
    constexpr std::size_t releaseBatch = 16;
    std::vector<decltype(decode())> decoded;
    decoded.reserve(releaseBatch);
    for (auto _ : state) {
        decoded.push_back(decode());
        if (decoded.size() == releaseBatch) {
            state.PauseTiming();
            decoded.clear();
            state.ResumeTiming();
        }
    }
}

}  // namespace solen::bench
