#pragma once

// The baseline of the load-path benchmarks: bare round trips main -> global queue -> main, the
// hops an adapter load cannot avoid, measured in the same iterations as the path under test.
#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Dispatch/MainLoop.h"

#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>
#include <functional>

namespace solen::bench {

// Seconds for `count` round trips with `inFlight` of them under way at a time (each return to
// main sends the next one). Runs the main loop; main thread only.
inline double bareRoundTrips(int count, int inFlight) {
    auto& loop = platform::MainLoop::shared();
    int sent = 0;
    int returned = 0;
    std::function<void()> send = [&] {
        ++sent;
        platform::DispatchQueue::global()->async([&] {
            loop.async([&] {
                ++returned;
                if (sent < count) {
                    send();
                }
            });
        });
    };
    const auto begin = std::chrono::steady_clock::now();
    for (int i = 0; i < inFlight && i < count; ++i) {
        send();
    }
    loop.runUntil([&] { return returned == count; }, std::chrono::seconds(10));
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
}

// CPU time of the calling thread, in seconds.
inline double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Times `start` and the main loop until `done()` holds (one load of `count` line items) as the
// iteration time, alternating with the baseline; `reset` runs after each, untimed. Reports the
// baseline in microseconds, the ratio of the two totals, and per line item the wall time and the
// main thread's CPU time of the load (the main loop's brief spins while it waits included).
inline void measureAgainstRoundTrips(benchmark::State& state, int count, int inFlight, const std::function<void()>& start,
                                     const std::function<bool()>& done, const std::function<void()>& reset) {
    platform::MainLoop::shared().bindToCurrentThread();
    double pathSeconds = 0;
    double cpuSeconds = 0;
    double baselineSeconds = 0;
    for (auto _ : state) {
        const double cpuBegin = threadCpuSeconds();
        const auto begin = std::chrono::steady_clock::now();
        start();
        platform::MainLoop::shared().runUntil(done, std::chrono::seconds(10));
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        cpuSeconds += threadCpuSeconds() - cpuBegin;
        if (!done()) {
            state.SkipWithError("the load did not end as expected");
            break;
        }
        state.SetIterationTime(elapsed);
        pathSeconds += elapsed;
        baselineSeconds += bareRoundTrips(count, inFlight);
        reset();
    }
    if (state.iterations() == 0) return;
    const double items = static_cast<double>(state.iterations()) * count;
    state.counters["baseline_us"] = baselineSeconds * 1e6 / static_cast<double>(state.iterations());
    state.counters["ratio"] = baselineSeconds > 0 ? pathSeconds / baselineSeconds : 0;
    state.counters["wall_us_per_item"] = pathSeconds * 1e6 / items;
    state.counters["main_cpu_us_per_item"] = cpuSeconds * 1e6 / items;
}

}  // namespace solen::bench
