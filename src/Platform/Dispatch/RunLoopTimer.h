#pragma once

#include "Platform/Dispatch/Clock.h"

#include "Platform/Dispatch/MainLoop.h"

#include <functional>
#include <memory>
#include <mutex>

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
    // The clock the fire date is read on: the shared clock when the timer was made.
    const std::shared_ptr<Clock>& clock() const { return clock_; }

private:
    RunLoopTimer(std::shared_ptr<Clock> clock, Clock::TimePoint fireDate, Clock::Duration interval, bool repeats,
                 Block block);
    friend struct MainLoop::Impl;

    // Called by the main loop: fires the timer when it is valid and due on its clock; returns
    // whether it fired.
    bool fireIfDue();
    // Runs the block with `scheduledDate` as the date it fired for, then invalidates a one-shot
    // timer or moves a repeating one to its next date (unless the block set a new date itself).
    void runBlock(Clock::TimePoint scheduledDate, bool fromLoop);
    const std::shared_ptr<Clock> clock_;  // the shared clock when the timer was made
    mutable std::mutex mutex_;
    Clock::TimePoint fireDate_;
    const Clock::Duration interval_;
    const bool repeats_;
    bool valid_ = true;
    int firing_ = 0;  // blocks running now: the block is kept until the last one returns
    Block block_;
};

}  // namespace solen::platform
