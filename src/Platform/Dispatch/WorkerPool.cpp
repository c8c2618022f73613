#include "Platform/Dispatch/WorkerPool.h"

#include "Commons/Utilities/Logger.h"
#include "Platform/Dispatch/BriefSpin.h"

#include <algorithm>
#include <string>
#include <system_error>
#include <thread>

namespace solen::platform {
namespace {

thread_local const WorkerPool* tCurrentPool = nullptr;

std::size_t globalPoolSize() {
    const std::size_t cores = std::max<unsigned>(std::thread::hardware_concurrency(), 1U);
    return std::clamp<std::size_t>(cores, 4, 64);
}

}  // namespace

WorkerPool::WorkerPool(std::string name, std::size_t maxThreads, std::chrono::milliseconds idleTimeout)
    : name_(std::move(name)), maxThreads_(std::max<std::size_t>(maxThreads, 1)), idleTimeout_(idleTimeout) {}

WorkerPool& WorkerPool::global() {
    static auto* pool = new WorkerPool("global", globalPoolSize(), std::chrono::milliseconds(0));
    return *pool;
}

WorkerPool& WorkerPool::overcommit() {
    static auto* pool = new WorkerPool("overcommit", 512, std::chrono::seconds(5));
    return *pool;
}

void WorkerPool::submit(Job job) {
    std::unique_lock<std::mutex> lock(mutex_);
    jobs_.push_back(std::move(job));
    queued_.store(jobs_.size(), std::memory_order_release);
    if (jobs_.size() <= spinningThreads_) {
        // A spinning worker looks at the queue under the lock before it parks: it takes the job.
        return;
    }
    if (jobs_.size() <= idleThreads_ || threads_ >= maxThreads_) {
        lock.unlock();
        workAvailable_.notify_one();
        return;
    }
    ++threads_;
    lock.unlock();
    try {
        std::thread([this] { workerLoop(); }).detach();
    } catch (const std::system_error& error) {
        lock.lock();
        --threads_;
        const bool stranded = threads_ == 0;
        lock.unlock();
        Logger::error(std::string("Cannot start a worker thread for the ") + name_ + " pool: " + error.what());
        if (stranded) {
            // No thread can ever take the job: waking nobody would lose it, so it stays queued
            // until the next submit manages to start a thread.
            return;
        }
        workAvailable_.notify_one();
    }
}

bool WorkerPool::isWorkerThread() const { return tCurrentPool == this; }

bool WorkerPool::waitIdle(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(mutex_);
    return becameIdle_.wait_until(lock, deadline, [this] { return jobs_.empty() && running_ == 0; });
}

void WorkerPool::workerLoop() {
    tCurrentPool = this;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (!jobs_.empty()) {
            Job job = std::move(jobs_.front());
            jobs_.pop_front();
            queued_.store(jobs_.size(), std::memory_order_relaxed);
            ++running_;
            lock.unlock();
            try {
                job();
            } catch (...) {
                // Jobs catch their blocks' exceptions; this only guards the pool itself.
                Logger::error("A dispatch job failed with an exception");
            }
            job = nullptr;  // captured values are released before the job counts as done
            lock.lock();
            --running_;
            if (jobs_.empty() && running_ == 0) {
                becameIdle_.notify_all();
            }
            continue;
        }
        ++idleThreads_;
        bool hasWork = spinForWork(lock);
        if (!hasWork && idleTimeout_.count() > 0) {
            hasWork = workAvailable_.wait_for(lock, idleTimeout_, [this] { return !jobs_.empty(); });
        } else if (!hasWork) {
            workAvailable_.wait(lock, [this] { return !jobs_.empty(); });
            hasWork = true;
        }
        --idleThreads_;
        if (!hasWork) {
            --threads_;
            return;
        }
    }
}

bool WorkerPool::spinForWork(std::unique_lock<std::mutex>& lock) {
    ++spinningThreads_;
    lock.unlock();
    spinBriefly([this] { return queued_.load(std::memory_order_acquire) > 0; });
    lock.lock();
    --spinningThreads_;
    return !jobs_.empty();
}

}  // namespace solen::platform
