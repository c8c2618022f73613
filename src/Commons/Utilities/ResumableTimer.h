#pragma once

#include "Platform/Dispatch/Clock.h"
#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Dispatch/RunLoopTimer.h"

#include <functional>
#include <memory>
#include <string>

namespace solen {

// A main-run-loop timer that can be armed, paused with its remaining time kept, resumed and
// invalidated from any thread. Its state lives on a private concurrent queue: every change is a
// barrier block, every read a plain block, and the three mutators wait for their block (so none
// of them may be called from a block of that queue). The closure runs on the main thread, outside
// the queue, and may call the mutators of its own timer.
//
// ready --scheduleNow--> active --pause--> paused --scheduleNow--> active; a one-shot timer that
// fires, and any invalidate, end in complete, from which nothing restarts it. Releasing the timer
// invalidates its run-loop timer: nothing fires for a timer that is gone.
class ResumableTimer : public std::enable_shared_from_this<ResumableTimer> {
public:
    struct State {
        enum class Case { paused, active, complete, ready };
        Case kind = Case::ready;
        double remaining = 0;  // seconds left; meaningful when paused

        static State paused(double remaining) { return {Case::paused, remaining}; }
        static State active() { return {Case::active, 0}; }
        static State complete() { return {Case::complete, 0}; }
        static State ready() { return {Case::ready, 0}; }
        friend bool operator==(const State&, const State&) = default;
    };
    using Closure = std::function<void(ResumableTimer&)>;

    // `interval` in seconds: the period, and the delay of the first firing after scheduleNow.
    // The run-loop timer joins the main loop in `runLoopMode` at once on the main thread, else
    // on the next turn of the main loop; nothing fires before scheduleNow.
    static std::shared_ptr<ResumableTimer> create(double interval, bool repeats, std::string runLoopMode, Closure closure);
    ~ResumableTimer();
    ResumableTimer(const ResumableTimer&) = delete;
    ResumableTimer& operator=(const ResumableTimer&) = delete;

    // Starts counting: the interval from ready, the remaining time from paused. Does nothing
    // when active or complete (an active timer's fire date is not pushed back).
    void scheduleNow();
    // Stops counting and keeps the time left (0 when the fire date has passed). Only when active.
    void pause();
    // Stops for good.
    void invalidate();

    bool isValid() const;            // every state but complete
    bool isCountdownActive() const;  // active only
    State state() const;
    double interval() const { return interval_; }
    bool isRepeating() const { return repeats_; }

    static constexpr const char* queueLabel = "io.solen.ios.resumabletimer.queue";

private:
    ResumableTimer(double interval, bool repeats, Closure closure);
    void fired();
    void invalidateOnQueue();

    const double interval_;
    const bool repeats_;
    const std::shared_ptr<platform::Clock> clock_;
    const std::shared_ptr<platform::DispatchQueue> synchronizationQueue_;
    const Closure timerClosure_;
    // Guarded by the queue.
    State state_;
    std::shared_ptr<platform::RunLoopTimer> timer_;
};

}  // namespace solen
