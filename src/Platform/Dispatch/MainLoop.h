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
// or `runUntil` / `runUntilIdle` in tests and the demo. The main thread is the thread that
// loaded the library (process start), unless `bindToCurrentThread()` rebinds it.
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

    // Runs blocks and due run-loop timers until `stop()` is called.
    void run();
    void stop();
    // Runs until `predicate` is true or `timeout` (real time) has passed; returns the
    // predicate's last value. Checks the predicate after every block.
    bool runUntil(const std::function<bool()>& predicate, std::chrono::milliseconds timeout);
    // Runs queued blocks and due timers until there are none left; returns how many ran.
    std::size_t runUntilIdle();

    // Run-loop modes. The loop runs in `currentMode()`; a timer added in `commonModes` runs in
    // every mode. Default mode is "kCFRunLoopDefaultMode".
    static const std::string defaultMode;
    static const std::string commonModes;
    static const std::string trackingMode;
    std::string currentMode() const;
    void setCurrentMode(std::string mode);

    // Run-loop timers (see RunLoopTimer).
    void add(const std::shared_ptr<RunLoopTimer>& timer, const std::string& mode);

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
