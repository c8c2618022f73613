#include "support/DispatchWait.h"

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Dispatch/MainLoop.h"

#include <thread>

namespace solen::test {

bool drainGlobalQueue(std::chrono::milliseconds timeout) {
    return platform::DispatchQueue::waitUntilIdle(timeout);
}

bool waitUntil(const std::function<bool()>& predicate, std::chrono::milliseconds timeout) {
    auto& loop = platform::MainLoop::shared();
    if (loop.isMainThread()) {
        return loop.runUntil(predicate, timeout);
    }
    return waitHoldingMain(predicate, timeout);
}

bool waitHoldingMain(const std::function<bool()>& predicate, std::chrono::milliseconds timeout) {
    const auto limit = std::chrono::steady_clock::now() + timeout;
    while (!predicate()) {
        if (std::chrono::steady_clock::now() >= limit) {
            return predicate();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

bool settle(std::chrono::milliseconds timeout) {
    auto& loop = platform::MainLoop::shared();
    const auto limit = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(limit - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !drainGlobalQueue(left)) {
            return false;
        }
        const bool mainRan = loop.isMainThread() && loop.runUntilIdle() > 0;
        if (!mainRan && drainGlobalQueue(std::chrono::milliseconds(0))) {
            return true;
        }
    }
}

}  // namespace solen::test
