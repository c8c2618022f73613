#include "Platform/Dispatch/DispatchQueue.h"

#include "Platform/Dispatch/BlockExecution.h"
#include "Platform/Dispatch/DeadlineScheduler.h"
#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Dispatch/PrivateQueue.h"
#include "Platform/Dispatch/WorkerPool.h"

#include <array>

namespace solen::platform {
namespace {

// A global queue: blocks submitted asynchronously run on the bounded global pool; synchronous
// blocks run on the caller's thread. Barriers have no meaning on a global queue and behave as
// plain blocks, as on the platform.
class GlobalQueue final : public DispatchQueue {
public:
    explicit GlobalQueue(std::string label) : label_(std::move(label)) {}

    const std::string& label() const override { return label_; }
    void async(DispatchBlock block) override {
        if (block) {
            WorkerPool::global().submit([this, block = std::move(block)] { BlockExecution::run(*this, block); });
        }
    }
    void sync(const DispatchBlock& block) override { BlockExecution::run(*this, block); }
    void asyncBarrier(DispatchBlock block) override { async(std::move(block)); }
    void syncBarrier(const DispatchBlock& block) override { sync(block); }
    bool isCurrent() const override { return BlockExecution::isRunning(*this); }

private:
    const std::string label_;
};

// The main queue: the main loop's blocks.
class MainQueue final : public DispatchQueue {
public:
    const std::string& label() const override { return label_; }
    void async(DispatchBlock block) override { MainLoop::shared().async(std::move(block)); }
    void sync(const DispatchBlock& block) override { MainLoop::shared().sync(block); }
    void asyncBarrier(DispatchBlock block) override { async(std::move(block)); }
    void syncBarrier(const DispatchBlock& block) override { sync(block); }
    bool isCurrent() const override { return MainLoop::shared().isMainThread(); }

private:
    const std::string label_ = "main";
};

}  // namespace

std::shared_ptr<DispatchQueue> DispatchQueue::global(QualityOfService qos) {
    // Never destroyed: blocks may still be submitted while the process exits.
    static const auto* queues = new std::array<std::shared_ptr<DispatchQueue>, 5>{
        std::make_shared<GlobalQueue>("global.background"),
        std::make_shared<GlobalQueue>("global.utility"),
        std::make_shared<GlobalQueue>("global.default"),
        std::make_shared<GlobalQueue>("global.userInitiated"),
        std::make_shared<GlobalQueue>("global.userInteractive"),
    };
    const auto index = static_cast<std::size_t>(qos);
    return (*queues)[index < queues->size() ? index : static_cast<std::size_t>(QualityOfService::defaultQoS)];
}

std::shared_ptr<DispatchQueue> DispatchQueue::main() {
    static const auto* queue = new std::shared_ptr<DispatchQueue>(std::make_shared<MainQueue>());
    return *queue;
}

std::shared_ptr<DispatchQueue> DispatchQueue::createSerial(std::string label, QualityOfService) {
    return std::make_shared<PrivateQueue>(std::move(label), false);
}

std::shared_ptr<DispatchQueue> DispatchQueue::createConcurrent(std::string label, QualityOfService) {
    return std::make_shared<PrivateQueue>(std::move(label), true);
}

void DispatchQueue::asyncAfter(Clock::Duration delay, DispatchBlock block) {
    if (!block) {
        return;
    }
    if (delay <= Clock::Duration::zero()) {
        async(std::move(block));
        return;
    }
    auto clock = Clock::shared();
    const Clock::TimePoint deadline = Clock::deadline(clock->now(), delay);
    // The pending block keeps the queue alive, so a queue released meanwhile still runs it.
    DeadlineScheduler::shared().schedule(clock, deadline, [queue = shared_from_this(), block = std::move(block)] {
        queue->async(block);
    });
}

bool DispatchQueue::waitUntilIdle(std::chrono::milliseconds timeout) {
    WorkerPool& global = WorkerPool::global();
    WorkerPool& overcommit = WorkerPool::overcommit();
    if (global.isWorkerThread() || overcommit.isWorkerThread()) {
        return false;
    }
    const auto limit = std::chrono::steady_clock::now() + timeout;
    // Work moves between the pools (a global block submits to a private queue and back): both
    // must be seen idle one after the other with nothing new in the first.
    for (;;) {
        if (!global.waitIdle(limit) || !overcommit.waitIdle(limit)) {
            return false;
        }
        if (global.waitIdle(std::chrono::steady_clock::now())) {
            return true;
        }
    }
}

}  // namespace solen::platform
