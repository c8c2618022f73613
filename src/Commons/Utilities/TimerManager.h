#pragma once

#include "Platform/Dispatch/Clock.h"
#include "Platform/Dispatch/RunLoopTimer.h"

#include <functional>
#include <memory>
#include <mutex>

namespace solen {

// A one-shot main-run-loop timer (running in the common modes) that stops counting while the
// application is in the background and, back in the foreground, fires after the time that was
// left. The banner refresh runs on it.
//
// A pause keeps the time that was left when a timer was running; with no timer running (never
// started, already paused, already fired) the interval stays as it was. The foreground restarts
// only a timer that the background actually paused, so a timer its owner paused stays paused
// through a background/foreground cycle. Releasing the manager invalidates its timer and removes
// its observers; the run-loop timer holds the manager only weakly.
class TimerManager : public std::enable_shared_from_this<TimerManager> {
public:
    using Callback = std::function<void(TimerManager&)>;

    // `interval` in seconds. `backgroundControl` is kept for the creator; no operation reads it.
    static std::shared_ptr<TimerManager> create(double interval, bool backgroundControl, Callback callback);
    ~TimerManager();
    TimerManager(const TimerManager&) = delete;
    TimerManager& operator=(const TimerManager&) = delete;

    // Arms the timer with the current interval, replacing any earlier one, and installs the
    // application-state observers once. From another thread it runs on the main thread and
    // returns when the timer is armed (so it must not be called from a block the main thread
    // waits for).
    void start();
    // Stops the timer and keeps the time left. Main thread.
    void pause();
    // Pauses and removes the observers; a later start installs them again. Main thread.
    void terminateTimer();

    // The timer's target: runs the callback. The fired timer stays in `timer()` until the next
    // start or pause.
    void timerHit();
    // Observer of the did-enter-background notification.
    void processBackround();
    // Observer of the will-enter-foreground notification.
    void processForeground();

    double interval() const;
    bool backgroundControl() const { return backgroundControl_; }
    std::shared_ptr<platform::RunLoopTimer> timer() const;
    bool notificationsRegistered() const;

private:
    TimerManager(double interval, bool backgroundControl, Callback callback);
    // Pauses without touching the background bookkeeping.
    void stopTimer();
    bool isRunning() const;  // with the lock held

    const bool backgroundControl_;
    const Callback callback_;
    mutable std::mutex mutex_;
    double interval_;
    std::shared_ptr<platform::RunLoopTimer> timer_;
    std::shared_ptr<platform::Clock> clock_;  // the clock `timer_` counts on
    bool notificationsRegistered_ = false;
    bool pausedByBackground_ = false;
};

}  // namespace solen
