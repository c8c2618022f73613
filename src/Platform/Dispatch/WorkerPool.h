#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

namespace solen::platform {

// A pool of worker threads running jobs in submission order (internal to the dispatch stand-ins).
// Threads start on demand up to `maxThreads`; with a non-zero idle timeout a thread that found no
// work for that long ends. Pools are created once and never destroyed, so their threads may
// outlive static destruction at process exit without touching freed memory.
class WorkerPool {
public:
    using Job = std::function<void()>;

    WorkerPool(std::string name, std::size_t maxThreads, std::chrono::milliseconds idleTimeout);
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // The bounded pool behind the global queues.
    static WorkerPool& global();
    // The pool that drains private queues: it grows whenever no thread is free (up to a high
    // limit), so that a private queue makes progress while the global pool is saturated.
    static WorkerPool& overcommit();

    void submit(Job job);

    std::size_t maxThreads() const { return maxThreads_; }
    // True when the calling thread is a worker of this pool.
    bool isWorkerThread() const;
    // Waits until no job is queued or running, or until `deadline`; returns whether it is idle.
    bool waitIdle(std::chrono::steady_clock::time_point deadline);

private:
    void workerLoop();
    // Called idle with the lock held: looks for work for a brief moment without the lock before
    // parking, so that a job submitted right after needs no wake-up. True when a job is queued.
    bool spinForWork(std::unique_lock<std::mutex>& lock);

    const std::string name_;
    const std::size_t maxThreads_;
    const std::chrono::milliseconds idleTimeout_;
    std::mutex mutex_;
    std::condition_variable workAvailable_;
    std::condition_variable becameIdle_;
    std::deque<Job> jobs_;
    std::size_t threads_ = 0;
    std::size_t idleThreads_ = 0;     // spinning or parked
    std::size_t spinningThreads_ = 0;  // idle and still looking at `queued_`: they need no wake-up
    std::atomic<std::size_t> queued_{0};  // jobs_.size(), readable without the lock
    std::size_t running_ = 0;
};

}  // namespace solen::platform
