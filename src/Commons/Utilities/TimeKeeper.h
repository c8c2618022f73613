#pragma once

#include "Platform/Dispatch/DispatchTimer.h"

#include <functional>
#include <limits>
#include <memory>
#include <mutex>

namespace solen {

// The timer behind the SDK's time-outs: a dispatch-source timer that runs its owner's handler on
// the global default-priority queue (never on the main thread). The countdown starts when the
// platform timer is made, which is the first `resume()`. `suspend()` holds the timer back without
// moving its deadline: a deadline that passed meanwhile fires on the next `resume()`.
// All operations may be called from any thread. Releasing the keeper cancels the timer; once the
// destructor has returned the handler never runs again (a handler running on another thread is
// waited for, so it must not wait for the releasing thread).
class TimeKeeper {
public:
    enum class State { suspended = 0, resumed = 1 };

    // `timerInterval`: seconds from the first resume to the first firing (negative or NaN = 0).
    // `repeatInterval`: seconds between later firings; infinity (and any value that is not a
    // positive finite number) makes a one-shot timer.
    TimeKeeper(double timerInterval, double repeatInterval);
    static std::shared_ptr<TimeKeeper> create(double timerInterval,
                                              double repeatInterval = std::numeric_limits<double>::infinity());
    virtual ~TimeKeeper();
    TimeKeeper(const TimeKeeper&) = delete;
    TimeKeeper& operator=(const TimeKeeper&) = delete;

    // Read when the timer fires: a handler set after resume() is the one that runs.
    std::function<void()> eventHandler() const;
    void setEventHandler(std::function<void()> handler);

    double timerInterval() const { return timerInterval_; }
    double repeatInterval() const { return repeatInterval_; }
    State state() const;

    // The platform timer, made (and scheduled from now) on first access.
    std::shared_ptr<platform::DispatchTimer> timer();

    // Starts the timer if it is not running.
    virtual void resume();
    // Stops the timer if it is running; the deadline is kept.
    virtual void suspend();

private:
    // The handler lives in a cell of its own that the platform timer's handler holds weakly: a
    // firing that races with the release of the keeper finds the cell gone and does nothing.
    struct HandlerCell {
        mutable std::mutex mutex;
        std::function<void()> handler;
    };

    std::shared_ptr<platform::DispatchTimer> timerLocked();

    const double timerInterval_;
    const double repeatInterval_;
    const std::shared_ptr<HandlerCell> handler_ = std::make_shared<HandlerCell>();
    mutable std::mutex mutex_;
    std::shared_ptr<platform::DispatchTimer> timer_;
    State state_ = State::suspended;
};

}  // namespace solen
