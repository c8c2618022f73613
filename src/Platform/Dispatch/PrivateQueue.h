#pragma once

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Dispatch/WorkerPool.h"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace solen::platform {

// A private serial or concurrent queue (internal; made by DispatchQueue::createSerial and
// createConcurrent). Blocks wait in one FIFO. A serial queue treats every block as a barrier.
// On a concurrent queue the blocks before the first waiting barrier run side by side (up to
// the queue's width); a barrier starts when everything before it has finished and runs alone.
//
// Asynchronous blocks run on the overcommit pool, which always finds a thread, so a private queue
// never waits for a free global-pool thread. Synchronous blocks run on the caller's thread once
// their turn comes. A caller whose turn is held up by asynchronous blocks that no worker has
// picked up yet runs those blocks itself, so `sync` progresses even when no thread can be started.
class PrivateQueue final : public DispatchQueue {
public:
    PrivateQueue(std::string label, bool concurrent);
    ~PrivateQueue() override = default;

    const std::string& label() const override { return label_; }
    void async(DispatchBlock block) override { submit(std::move(block), !concurrent_); }
    void sync(const DispatchBlock& block) override { runSync(block, !concurrent_); }
    void asyncBarrier(DispatchBlock block) override { submit(std::move(block), true); }
    void syncBarrier(const DispatchBlock& block) override { runSync(block, true); }
    bool isCurrent() const override;

private:
    struct SyncWaiter {
        bool granted = false;
    };
    struct Item {
        DispatchBlock block;    // asynchronous blocks
        bool barrier = false;
        SyncWaiter* waiter = nullptr;  // synchronous blocks: the caller waiting for its turn
    };

    void submit(DispatchBlock block, bool barrier);
    void runSync(const DispatchBlock& block, bool barrier);
    void drain();
    // Starts what may start: grants waiting sync callers their turn and makes sure enough drain
    // jobs are on their way for the asynchronous blocks that may start. `availableDrainers`
    // counts callers that will take a block themselves right after this call.
    void pumpLocked(std::size_t availableDrainers);
    // Takes the first block when it is an asynchronous block that may start now.
    bool claimFrontLocked(Item& claimed);
    void finishLocked(bool barrier);
    void runClaimed(std::unique_lock<std::mutex>& lock, Item& claimed);

    const std::string label_;
    const bool concurrent_;
    const std::size_t width_;
    WorkerPool& pool_;
    std::mutex mutex_;
    std::condition_variable turnGranted_;
    std::deque<Item> items_;
    std::size_t running_ = 0;
    bool barrierRunning_ = false;
    std::size_t pendingJobs_ = 0;     // drain jobs submitted, not started yet
    std::size_t activeDrainers_ = 0;  // drain jobs started, not finished yet
};

}  // namespace solen::platform
