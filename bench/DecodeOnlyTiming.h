#pragma once

#include <benchmark/benchmark.h>
#include <simdjson.h>

#include <cstddef>
#include <string>
#include <time.h>
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

// CPU time of the calling thread: on a busy machine, wall time also counts the time spent waiting.
inline double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Times `decode()` of `text` and the fastest plain parse of the same bytes (a reused simdjson DOM
// parser, nothing decoded) in turn each iteration, so that both see the same machine load.
// Counters: "decode_us" (the decoded value released too), "parse_us", "ratio" (decode against
// parse) and "ratio_decode_only" (the release left out).
template <class Decode>
void timeAgainstPlainParse(benchmark::State& state, const std::string& text, Decode&& decode) {
    simdjson::dom::parser parser;
    double parseSeconds = 0;
    double decodeSeconds = 0;
    double releaseSeconds = 0;
    for (auto _ : state) {
        const double t0 = threadSeconds();
        auto root = parser.parse(text.data(), text.size());
        benchmark::DoNotOptimize(root.error());
        const double t1 = threadSeconds();
        {
            auto decoded = decode();
            benchmark::DoNotOptimize(decoded);
            const double t2 = threadSeconds();
            decodeSeconds += t2 - t1;
            releaseSeconds -= t2;
        }
        releaseSeconds += threadSeconds();
        parseSeconds += t1 - t0;
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["decode_us"] = (decodeSeconds + releaseSeconds) / iterations * 1e6;
    state.counters["parse_us"] = parseSeconds / iterations * 1e6;
    state.counters["ratio"] = (decodeSeconds + releaseSeconds) / parseSeconds;
    state.counters["ratio_decode_only"] = decodeSeconds / parseSeconds;
}

}  // namespace solen::bench
