#include "Platform/Dispatch/PrivateQueue.h"

#include "Commons/Utilities/Logger.h"
#include "Platform/Dispatch/BlockExecution.h"

#include <algorithm>
#include <chrono>

namespace solen::platform {
namespace {

// How long a sync caller lets a queued asynchronous block wait for a worker before it runs the
// block itself.
constexpr auto kStealAfter = std::chrono::milliseconds(2);

}  // namespace

PrivateQueue::PrivateQueue(std::string label, bool concurrent)
    : label_(std::move(label)),
      concurrent_(concurrent),
      width_(concurrent ? WorkerPool::global().maxThreads() : 1),
      pool_(WorkerPool::overcommit()) {}

bool PrivateQueue::isCurrent() const { return BlockExecution::isRunning(*this); }

void PrivateQueue::submit(DispatchBlock block, bool barrier) {
    if (!block) {
        return;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    items_.push_back(Item{std::move(block), barrier, nullptr});
    pumpLocked(0);
}

void PrivateQueue::pumpLocked(std::size_t availableDrainers) {
    std::size_t startable = 0;
    bool granted = false;
    for (auto it = items_.begin(); it != items_.end() && !barrierRunning_;) {
        if (it->barrier) {
            if (it == items_.begin() && running_ == 0) {
                if (it->waiter != nullptr) {
                    it->waiter->granted = true;
                    granted = true;
                    ++running_;
                    barrierRunning_ = true;
                    items_.erase(it);
                } else {
                    startable = 1;
                }
            }
            break;
        }
        if (it->waiter != nullptr) {
            it->waiter->granted = true;
            granted = true;
            ++running_;
            it = items_.erase(it);
            continue;
        }
        ++startable;
        ++it;
    }
    if (granted) {
        turnGranted_.notify_all();
    }
    // Drainers already started (or about to start) take blocks in turn; new ones are only added
    // for blocks nobody will take, and never beyond the queue's width.
    const std::size_t underway = pendingJobs_ + availableDrainers;
    if (startable <= underway) {
        return;
    }
    const std::size_t busy = activeDrainers_ + pendingJobs_;
    const std::size_t allowed = width_ > busy ? width_ - busy : 0;
    const std::size_t added = std::min(startable - underway, allowed);
    if (added == 0) {
        return;
    }
    const auto self = std::static_pointer_cast<PrivateQueue>(shared_from_this());
    for (std::size_t i = 0; i < added; ++i) {
        ++pendingJobs_;
        pool_.submit([self] { self->drain(); });
    }
}

bool PrivateQueue::claimFrontLocked(Item& claimed) {
    if (items_.empty() || barrierRunning_) {
        return false;
    }
    Item& front = items_.front();
    if (front.waiter != nullptr || (front.barrier && running_ > 0)) {
        return false;
    }
    claimed = std::move(front);
    items_.pop_front();
    ++running_;
    barrierRunning_ = claimed.barrier;
    return true;
}

void PrivateQueue::finishLocked(bool barrier) {
    --running_;
    if (barrier) {
        barrierRunning_ = false;
    }
}

void PrivateQueue::runClaimed(std::unique_lock<std::mutex>& lock, Item& claimed) {
    lock.unlock();
    BlockExecution::run(*this, claimed.block);
    claimed.block = nullptr;  // captured values are released before the next block starts
    lock.lock();
    finishLocked(claimed.barrier);
}

void PrivateQueue::drain() {
    std::unique_lock<std::mutex> lock(mutex_);
    --pendingJobs_;
    ++activeDrainers_;
    for (;;) {
        pumpLocked(1);
        Item claimed;
        if (!claimFrontLocked(claimed)) {
            break;
        }
        runClaimed(lock, claimed);
    }
    --activeDrainers_;
}

void PrivateQueue::runSync(const DispatchBlock& block, bool barrier) {
    if (!block) {
        return;
    }
    if (isCurrent()) {
        // Waiting for our own turn from inside the queue would never end. Running the block
        // inline keeps the caller's order of effects and avoids the hang.
        if (barrier) {
            Logger::error("Synchronous dispatch onto queue \"" + label_ +
                          "\" from a block of that queue would deadlock; running it inline");
        }
        BlockExecution::run(*this, block);
        return;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    SyncWaiter waiter;
    items_.push_back(Item{nullptr, barrier, &waiter});
    pumpLocked(0);
    while (!waiter.granted) {
        if (turnGranted_.wait_for(lock, kStealAfter, [&waiter] { return waiter.granted; })) {
            break;
        }
        Item claimed;
        if (claimFrontLocked(claimed)) {
            runClaimed(lock, claimed);
            pumpLocked(0);
        }
    }
    lock.unlock();
    BlockExecution::run(*this, block);
    lock.lock();
    finishLocked(barrier);
    pumpLocked(0);
}

}  // namespace solen::platform
