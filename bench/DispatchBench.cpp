// Cost of the dispatch stand-ins' hops, in nanoseconds per hop.
#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Dispatch/WorkerPool.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace {

using solen::platform::DispatchQueue;
using solen::platform::MainLoop;
using solen::platform::WorkerPool;

// One block queued on the main loop and run by the next turn.
void mainLoopAsyncAndRun(benchmark::State& state) {
    auto& loop = MainLoop::shared();
    loop.bindToCurrentThread();
    std::size_t ran = 0;
    for (auto _ : state) {
        loop.async([&ran] { ++ran; });
        loop.runUntilIdle();
    }
    benchmark::DoNotOptimize(ran);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(mainLoopAsyncAndRun);

// A batch of 1000 blocks queued on the main loop, then run in one go (per block).
void mainLoopAsyncBatch(benchmark::State& state) {
    auto& loop = MainLoop::shared();
    loop.bindToCurrentThread();
    std::size_t ran = 0;
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            loop.async([&ran] { ++ran; });
        }
        loop.runUntilIdle();
    }
    benchmark::DoNotOptimize(ran);
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(mainLoopAsyncBatch);

// An asynchronous block on a serial queue followed by a synchronous one that waits for it.
void serialAsyncSyncRoundTrip(benchmark::State& state) {
    auto queue = DispatchQueue::createSerial("bench.serial");
    std::size_t ran = 0;
    for (auto _ : state) {
        queue->async([&ran] { ++ran; });
        queue->sync([&ran] { ++ran; });
    }
    benchmark::DoNotOptimize(ran);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(serialAsyncSyncRoundTrip)->UseRealTime();

// A synchronous block on an idle serial queue (runs on the caller's thread).
void serialSyncIdle(benchmark::State& state) {
    auto queue = DispatchQueue::createSerial("bench.serial.sync");
    std::size_t ran = 0;
    for (auto _ : state) {
        queue->sync([&ran] { ++ran; });
    }
    benchmark::DoNotOptimize(ran);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(serialSyncIdle);

// Jobs handed over by `submit` one after the other, without waiting (throughput: submission and
// execution, per job).
template <typename Submit>
void measureSubmissions(benchmark::State& state, const Submit& submit) {
    std::atomic<std::int64_t> ran{0};
    std::int64_t submitted = 0;
    for (auto _ : state) {
        submit([&ran] { ran.fetch_add(1, std::memory_order_relaxed); });
        ++submitted;
    }
    while (ran.load() != submitted) {
        std::this_thread::yield();
    }
    state.SetItemsProcessed(state.iterations());
}

// Latency of one hop: `submit` hands a job over, and the caller waits until it has run.
template <typename Submit>
void measureRoundTrips(benchmark::State& state, const Submit& submit) {
    std::mutex mutex;
    std::condition_variable ranCondition;
    for (auto _ : state) {
        bool ran = false;
        submit([&] {
            std::lock_guard<std::mutex> lock(mutex);
            ran = true;
            ranCondition.notify_one();
        });
        std::unique_lock<std::mutex> lock(mutex);
        ranCondition.wait(lock, [&] { return ran; });
    }
    state.SetItemsProcessed(state.iterations());
}

void submitToGlobalQueue(std::function<void()> block) { DispatchQueue::global()->async(std::move(block)); }

// Blocks submitted to the global queue.
void globalQueueAsync(benchmark::State& state) { measureSubmissions(state, submitToGlobalQueue); }
BENCHMARK(globalQueueAsync)->UseRealTime();

// One global-queue hop.
void globalQueueRoundTrip(benchmark::State& state) { measureRoundTrips(state, submitToGlobalQueue); }
BENCHMARK(globalQueueRoundTrip)->UseRealTime();

// The fastest repetition: on a shared machine, the one least disturbed by other processes.
double fastest(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }

// Pools of the global pool's size, with its growth (argument 1) and without it (argument 0, the
// pool as it was before it grew): the cost of growing, measured side by side in one run (compare
// the "min" rows of repeated, interleaved runs).
// Each pool starts on cache lines of its own: hop times depend on which lines a pool's hot fields
// share with its neighbours (the pool allocated first measured twice as slow, whichever it was).
struct alignas(128) IsolatedPool {
    template <typename... Arguments>
    explicit IsolatedPool(Arguments&&... arguments) : pool(std::forward<Arguments>(arguments)...) {}
    WorkerPool pool;
    char padding[128] = {};
};

WorkerPool& sizedLikeGlobal(benchmark::State& state) {
    const std::size_t size = WorkerPool::global().maxThreads();
    static auto* fixed = new IsolatedPool("bench.fixed", size, std::chrono::milliseconds(0));
    static auto* grows = new IsolatedPool("bench.growing", size, std::chrono::milliseconds(0), WorkerPool::globalGrowth());
    const bool growing = state.range(0) != 0;
    state.SetLabel(growing ? "growing" : "fixed");
    return growing ? grows->pool : fixed->pool;
}

// One hop onto the pool.
void poolRoundTrip(benchmark::State& state) {
    WorkerPool& pool = sizedLikeGlobal(state);
    measureRoundTrips(state, [&pool](std::function<void()> job) { pool.submit(std::move(job)); });
}
BENCHMARK(poolRoundTrip)->Arg(0)->Arg(1)->UseRealTime()->ComputeStatistics("min", fastest);

// Jobs submitted faster than they run: every thread stays busy and jobs wait, the case in which
// a growing pool watches for blocked threads (it must not grow: jobs keep starting).
void poolAsync(benchmark::State& state) {
    WorkerPool& pool = sizedLikeGlobal(state);
    measureSubmissions(state, [&pool](std::function<void()> job) { pool.submit(std::move(job)); });
    state.counters["threads"] = static_cast<double>(pool.threadCount());
}
BENCHMARK(poolAsync)->Arg(0)->Arg(1)->UseRealTime()->ComputeStatistics("min", fastest);

// A background thread posts to the main queue and the main loop (this thread) runs the block:
// the hop a network or timer callback makes to reach per-ad state.
void mainQueueHopFromBackground(benchmark::State& state) {
    auto& loop = MainLoop::shared();
    loop.bindToCurrentThread();
    std::atomic<std::int64_t> requested{0};
    std::atomic<bool> stop{false};
    std::int64_t ran = 0;
    std::thread background([&] {
        std::int64_t posted = 0;
        while (!stop.load()) {
            if (posted < requested.load()) {
                ++posted;
                loop.async([&ran] { ++ran; });
            } else {
                std::this_thread::yield();
            }
        }
    });
    for (auto _ : state) {
        const std::int64_t target = ran + 1;
        requested.fetch_add(1);
        loop.runUntil([&] { return ran == target; }, std::chrono::seconds(10));
    }
    stop = true;
    background.join();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(mainQueueHopFromBackground)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
