#include "Platform/Dispatch/WorkerPool.h"

#include "Commons/Utilities/Logger.h"
#include "Platform/Dispatch/BriefSpin.h"

#include <algorithm>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

namespace solen::platform {
namespace {

thread_local const WorkerPool* tCurrentPool = nullptr;

std::size_t globalPoolSize() {
    const std::size_t cores = std::max<unsigned>(std::thread::hardware_concurrency(), 1U);
    return std::clamp<std::size_t>(cores, 4, 64);
}

}  // namespace

WorkerPool::WorkerPool(std::string name, std::size_t maxThreads, std::chrono::milliseconds idleTimeout,
                       std::optional<Growth> growth)
    : name_(std::move(name)),
      maxThreads_(std::max<std::size_t>(maxThreads, 1)),
      idleTimeout_(idleTimeout),
      growth_(growth && growth->limit > maxThreads_ ? growth : std::nullopt) {}

WorkerPool& WorkerPool::global() {
    static auto* pool = new WorkerPool("global", globalPoolSize(), std::chrono::milliseconds(0), globalGrowth());
    return *pool;
}

WorkerPool::Growth WorkerPool::globalGrowth() {
    // A few milliseconds without a job starting tells blocked threads from busy ones well enough,
    // and keeps a timer that fires while every thread blocks that close to its deadline.
    return Growth{64, std::chrono::milliseconds(3), std::chrono::seconds(5)};
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
        // Every thread is busy and the job waits: the watcher finds out whether they are blocked.
        bool startWatcher = false;
        bool wakeWatcher = false;
        if (growth_ && !watcherAwake_ && workWaitsLocked()) {
            watcherAwake_ = true;
            startWatcher = !std::exchange(watcherStarted_, true);
            wakeWatcher = !startWatcher;
        }
        lock.unlock();
        workAvailable_.notify_one();
        if (wakeWatcher) {
            stallSuspected_.notify_one();
        } else if (startWatcher) {
            try {
                std::thread([this] { watchForStalls(); }).detach();
            } catch (const std::system_error& error) {
                lock.lock();
                watcherStarted_ = false;
                watcherAwake_ = false;
                lock.unlock();
                Logger::error(std::string("Cannot start the watcher of the ") + name_ + " pool: " + error.what());
            }
        }
        return;
    }
    ++threads_;
    lock.unlock();
    if (!startThread()) {
        lock.lock();
        const bool stranded = threads_ == 0;
        lock.unlock();
        if (stranded) {
            // No thread can ever take the job: waking nobody would lose it, so it stays queued
            // until the next submit manages to start a thread.
            return;
        }
        workAvailable_.notify_one();
    }
}

bool WorkerPool::startThread() {
    try {
        std::thread([this] { workerLoop(); }).detach();
        return true;
    } catch (const std::system_error& error) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            --threads_;
        }
        Logger::error(std::string("Cannot start a worker thread for the ") + name_ + " pool: " + error.what());
        return false;
    }
}

void WorkerPool::watchForStalls() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        stallSuspected_.wait(lock, [this] { return watcherAwake_; });
        // One busy spell: while jobs wait, a stall with no job started adds a thread.
        for (;;) {
            const std::uint64_t startedBefore = jobsStarted_;
            stallSuspected_.wait_for(lock, growth_->stall, [] { return false; });
            if (!workWaitsLocked()) {
                break;
            }
            if (jobsStarted_ != startedBefore) {
                continue;
            }
            if (threads_ >= growth_->limit) {
                break;  // nothing may be added: the next submit that finds every thread busy wakes it
            }
            ++threads_;
            lock.unlock();
            const bool added = startThread();
            lock.lock();
            if (!added) {
                break;
            }
        }
        watcherAwake_ = false;
    }
}

std::size_t WorkerPool::threadCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return threads_;
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
            ++jobsStarted_;
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
        while (!hasWork) {
            // Threads the pool grew by go once they stay idle; the pool's own ones after its idle
            // timeout, if it has one.
            const auto surplus = [this] { return growth_ && threads_ > maxThreads_; };
            const std::chrono::milliseconds timeout = surplus() ? growth_->idleTimeout : idleTimeout_;
            if (timeout.count() <= 0) {
                workAvailable_.wait(lock, [this] { return !jobs_.empty(); });
                hasWork = true;
                break;
            }
            hasWork = workAvailable_.wait_for(lock, timeout, [this] { return !jobs_.empty(); });
            if (!hasWork && (idleTimeout_.count() > 0 || surplus())) {
                break;
            }
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
