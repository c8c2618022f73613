#pragma once

#include "Platform/Dispatch/Clock.h"
#include "Platform/Dispatch/DispatchQueue.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace solen::platform {

class RunLoopTimer;

// The main queue and main run loop. The host's main thread runs it: `run()` until `stop()`,
// or `runUntil` / `runUntilIdle` in tests and the demo. The main thread is the process's initial
// thread (bound when the library loads), unless `bindToCurrentThread()` rebinds it.
class MainLoop {
public:
    static MainLoop& shared();

    // Makes the calling thread the main thread.
    void bindToCurrentThread();
    bool isMainThread() const;

    // Main-queue blocks, in submission order. `async` never runs inline; `sync` runs inline on
    // the main thread and otherwise blocks until the main thread has run it.
    void async(DispatchBlock block);
    void sync(const DispatchBlock& block);

    // Runs blocks and due run-loop timers until `stop()` is called. A `stop()` that arrives while
    // the loop is not running ends the next `run()` at once. Only the main thread runs the loop:
    // called on another thread, these log an error and run nothing.
    void run();
    void stop();
    // Runs until `predicate` is true or `timeout` (real time) has passed; returns the
    // predicate's last value. Checks the predicate after every block and every timer.
    bool runUntil(const std::function<bool()>& predicate, std::chrono::milliseconds timeout);
    // Runs queued blocks and due timers, including blocks queued by them, until nothing is due;
    // returns how many blocks and timer firings ran. Never waits.
    std::size_t runUntilIdle();

    // Run-loop modes. The loop runs in `currentMode()`; a timer added in `commonModes` runs in
    // every mode. Default mode is "kCFRunLoopDefaultMode".
    static const std::string& defaultMode;
    static const std::string& commonModes;
    static const std::string& trackingMode;
    std::string currentMode() const;
    void setCurrentMode(std::string mode);

    // Run-loop timers (see RunLoopTimer). Adding a timer in several modes makes it run in each;
    // the loop holds it until it is invalidated. Any thread may add.
    void add(const std::shared_ptr<RunLoopTimer>& timer, const std::string& mode);
    // Drops the timer from every mode (an invalidated timer is dropped this way).
    void remove(const RunLoopTimer& timer);
    // Makes a sleeping loop look at its blocks and timers again (a fire date changed).
    void wakeUp();

    // Number of blocks waiting (tests).
    std::size_t pendingCount() const;

    struct Impl;
private:
    MainLoop();
    std::unique_ptr<Impl> impl_;
};

// Asynchronous hop to the main queue (never inline, in submission order).
inline void performOnMainQueue(DispatchBlock block) { MainLoop::shared().async(std::move(block)); }

}  // namespace solen::platform
