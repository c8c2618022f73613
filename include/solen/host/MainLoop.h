#pragma once

#include <solen/SolenExport.h>

#include <chrono>
#include <cstddef>
#include <functional>

namespace solen::host {

// The SDK's main thread and its loop, driven by the host. On a phone the operating system runs
// this loop; on Linux the host's main thread does, with one of the run calls below.
//
// The SDK's rule: everything that belongs to one ad (the ad objects, their delegates' callbacks,
// the views they show) lives on the main thread. The SDK hops to it on its own; the host keeps
// the loop turning so that those hops, timers and view updates happen. Delegate callbacks and
// posted blocks run inside the run calls.
//
// The main thread is the process's initial thread unless `bindToCurrentThread` names another.
// The run calls belong to the main thread: from another thread they log an error and run
// nothing. `post`, `stop` and `isMainThread` may be called from any thread.
class SOLEN_EXPORT MainLoop {
public:
    MainLoop() = delete;

    // Makes the calling thread the main thread. Call it before initialising the SDK.
    static void bindToCurrentThread();
    static bool isMainThread();

    // Queues a block for the main thread, behind the blocks queued before it; it never runs
    // inline. An empty block is refused with an error line.
    static void post(std::function<void()> block);

    // Runs blocks and due timers until `stop`. A `stop` that arrives while the loop is not
    // running ends the next `run` at once.
    static void run();
    static void stop();
    // Runs until `condition` is true or `timeout` has passed; returns the condition's last value.
    // The condition is checked after every block and timer. A negative timeout is refused with
    // an error line (nothing runs).
    static bool runUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);
    // Runs for `duration`, whatever arrives.
    static void runFor(std::chrono::milliseconds duration);
    // One pass: runs the blocks and timers that are due, and those they queue, without waiting;
    // returns how many ran.
    static std::size_t runOnce();
};

}  // namespace solen::host
