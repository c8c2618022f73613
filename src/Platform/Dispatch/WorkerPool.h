#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace solen::platform {

// A pool of worker threads running jobs in submission order (internal to the dispatch stand-ins).
// Threads start on demand up to `maxThreads`; with a non-zero idle timeout a thread that found no
// work for that long ends. Pools are created once and never destroyed, so their threads may
// outlive static destruction at process exit without touching freed memory.
//
// A pool with growth also serves jobs that block: when work waits and no job has started for the
// growth's `stall` (every thread has been busy with its job at least that long), a watcher thread
// adds one thread, and again after each further stall, up to `limit` threads. Threads beyond
// `maxThreads` end once they have found no work for the growth's `idleTimeout`. Submitting costs
// the same as without growth while a thread is free; only a submit that finds every thread busy
// wakes the watcher, once per busy spell.
class WorkerPool {
public:
    using Job = std::function<void()>;

    struct Growth {
        std::size_t limit;
        std::chrono::milliseconds stall;
        std::chrono::milliseconds idleTimeout;
    };

    WorkerPool(std::string name, std::size_t maxThreads, std::chrono::milliseconds idleTimeout,
               std::optional<Growth> growth = std::nullopt);
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // The pool behind the global queues: one thread per core while nothing blocks, growing up to
    // 64 threads while its threads are blocked.
    static WorkerPool& global();
    // How the global pool grows.
    static Growth globalGrowth();
    // The pool that drains private queues: it grows whenever no thread is free (up to a high
    // limit), so that a private queue makes progress while the global pool is saturated.
    static WorkerPool& overcommit();

    void submit(Job job);

    // The number of threads while no job blocks (the concurrency the pool is sized for).
    std::size_t maxThreads() const { return maxThreads_; }
    // Threads currently alive (tests and benchmarks).
    std::size_t threadCount() const;
    // True when the calling thread is a worker of this pool.
    bool isWorkerThread() const;
    // Waits until no job is queued or running, or until `deadline`; returns whether it is idle.
    bool waitIdle(std::chrono::steady_clock::time_point deadline);

private:
    void workerLoop();
    // Called idle with the lock held: looks for work for a brief moment without the lock before
    // parking, so that a job submitted right after needs no wake-up. True when a job is queued.
    bool spinForWork(std::unique_lock<std::mutex>& lock);
    // Starts a worker thread counted in `threads_` already; false (count restored) when the system
    // refuses one. Called without the lock.
    bool startThread();
    // Whether queued jobs outnumber the threads that will take them (with the lock held).
    bool workWaitsLocked() const { return jobs_.size() > idleThreads_; }
    // The growth's watcher thread.
    void watchForStalls();

    const std::string name_;
    const std::size_t maxThreads_;
    const std::chrono::milliseconds idleTimeout_;
    const std::optional<Growth> growth_;
    mutable std::mutex mutex_;
    std::condition_variable workAvailable_;
    std::condition_variable becameIdle_;
    std::condition_variable stallSuspected_;  // wakes the watcher
    std::deque<Job> jobs_;
    std::size_t threads_ = 0;
    std::size_t idleThreads_ = 0;     // spinning or parked
    std::size_t spinningThreads_ = 0;  // idle and still looking at `queued_`: they need no wake-up
    std::atomic<std::size_t> queued_{0};  // jobs_.size(), readable without the lock
    std::size_t running_ = 0;
    std::uint64_t jobsStarted_ = 0;  // the watcher's sign of progress
    bool watcherStarted_ = false;
    bool watcherAwake_ = false;  // it watches a busy spell: submits need not wake it
};

}  // namespace solen::platform
