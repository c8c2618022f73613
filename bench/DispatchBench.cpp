// Cost of the dispatch stand-ins' hops, in nanoseconds per hop.
#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Dispatch/MainLoop.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

using solen::platform::DispatchQueue;
using solen::platform::MainLoop;

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

// Blocks submitted to the global queue (throughput: submission and execution, per block).
void globalQueueAsync(benchmark::State& state) {
    std::atomic<std::int64_t> ran{0};
    std::int64_t submitted = 0;
    for (auto _ : state) {
        DispatchQueue::global()->async([&ran] { ran.fetch_add(1, std::memory_order_relaxed); });
        ++submitted;
    }
    while (ran.load() != submitted) {
        std::this_thread::yield();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(globalQueueAsync)->UseRealTime();

// Latency of one global-queue hop: submit, and wait until the block has run.
void globalQueueRoundTrip(benchmark::State& state) {
    std::mutex mutex;
    std::condition_variable ranCondition;
    for (auto _ : state) {
        bool ran = false;
        DispatchQueue::global()->async([&] {
            std::lock_guard<std::mutex> lock(mutex);
            ran = true;
            ranCondition.notify_one();
        });
        std::unique_lock<std::mutex> lock(mutex);
        ranCondition.wait(lock, [&] { return ran; });
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(globalQueueRoundTrip)->UseRealTime();

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
