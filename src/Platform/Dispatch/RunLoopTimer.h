#pragma once

#include "Platform/Dispatch/Clock.h"

#include <functional>
#include <memory>
#include <mutex>

#include "Platform/Dispatch/MainLoop.h"

namespace solen::platform {

// A timer of the main run loop. Fires on the main thread when the loop runs in one of its modes.
// The fire date is readable and settable from any thread (Clock::distantFuture() holds it back);
// a repeating timer advances its fire date by the interval after each firing. An invalidated timer
// never fires again. The loop holds the timer strongly until it is invalidated (as the platform
// does), so a block that should not keep its owner alive captures it weakly.
class RunLoopTimer : public std::enable_shared_from_this<RunLoopTimer> {
public:
    using Block = std::function<void(RunLoopTimer&)>;

    // Fire date = now + interval. Not scheduled until added to the main loop.
    static std::shared_ptr<RunLoopTimer> create(Clock::Duration interval, bool repeats, Block block);
    static std::shared_ptr<RunLoopTimer> create(Clock::TimePoint fireDate, Clock::Duration interval,
                                                bool repeats, Block block);
    // Creates and adds to the main loop in the default mode (like scheduledTimer).
    static std::shared_ptr<RunLoopTimer> scheduled(Clock::Duration interval, bool repeats, Block block);

    Clock::TimePoint fireDate() const;
    void setFireDate(Clock::TimePoint date);
    Clock::Duration interval() const;
    bool repeats() const;
    bool isValid() const;
    void invalidate();
    // Fires now (runs the block on the calling thread), as the platform's fire().
    void fire();

private:
    RunLoopTimer(Clock::TimePoint fireDate, Clock::Duration interval, bool repeats, Block block);
    friend struct MainLoop::Impl;
    mutable std::mutex mutex_;
    Clock::TimePoint fireDate_;
    Clock::Duration interval_;
    bool repeats_;
    bool valid_ = true;
    Block block_;
};

}  // namespace solen::platform
