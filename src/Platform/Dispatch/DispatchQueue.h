#pragma once

#include "Platform/Dispatch/Clock.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <string>

namespace solen::platform {

using DispatchBlock = std::function<void()>;

enum class QualityOfService { background, utility, defaultQoS, userInitiated, userInteractive };

// A dispatch queue: the global pool, the main queue, private serial or concurrent queues.
// Blocks never throw out of a queue: an exception escaping a block is caught and logged.
class DispatchQueue : public std::enable_shared_from_this<DispatchQueue> {
public:
    virtual ~DispatchQueue() = default;

    // The process-wide concurrent pool (one per quality of service; all share one pool of a thread
    // per core that adds threads, up to 64, while its threads are blocked: a block that waits, such
    // as a network adapter's load, holds no timer or later block back).
    static std::shared_ptr<DispatchQueue> global(QualityOfService qos = QualityOfService::defaultQoS);
    // The main queue: blocks run on the main loop (see MainLoop).
    static std::shared_ptr<DispatchQueue> main();
    static std::shared_ptr<DispatchQueue> createSerial(std::string label,
                                                       QualityOfService qos = QualityOfService::defaultQoS);
    static std::shared_ptr<DispatchQueue> createConcurrent(std::string label,
                                                           QualityOfService qos = QualityOfService::defaultQoS);

    virtual const std::string& label() const = 0;

    // Submits the block; never runs it inline.
    virtual void async(DispatchBlock block) = 0;
    // Runs the block and waits for it. On a serial queue it runs after everything submitted before.
    // The block runs on the caller's thread, except on the main queue (where it runs on the main
    // thread). Calling sync on the queue the caller is running on would never return (the platform
    // traps): here the block is run inline instead, and an error is logged for serial queues and
    // barriers.
    virtual void sync(const DispatchBlock& block) = 0;
    // Barriers: on a concurrent queue the block runs alone, after earlier blocks and before
    // later ones. On serial queues and the main queue they behave as async/sync.
    virtual void asyncBarrier(DispatchBlock block) = 0;
    virtual void syncBarrier(const DispatchBlock& block) = 0;

    // Submits the block once `delay` has passed on the shared clock (never earlier).
    void asyncAfter(Clock::Duration delay, DispatchBlock block);
    void asyncAfterSeconds(double seconds, DispatchBlock block) { asyncAfter(Clock::seconds(seconds), std::move(block)); }

    // True when the calling thread is running a block of this queue (for the main queue: when it
    // is the main thread).
    virtual bool isCurrent() const = 0;

    // Waits until no block is queued or running on the global queues or on the workers of private
    // queues, or until `timeout` has passed; returns whether everything became idle (tests).
    // Returns false at once when called from a block running on one of those workers.
    static bool waitUntilIdle(std::chrono::milliseconds timeout);

    // Runs `f` synchronously and returns its result.
    template <class F>
    auto syncResult(F&& f) -> decltype(f()) {
        if constexpr (std::is_void_v<decltype(f())>) {
            sync([&] { f(); });
        } else {
            std::optional<decltype(f())> result;
            sync([&] { result.emplace(f()); });
            return std::move(*result);
        }
    }
};

}  // namespace solen::platform
