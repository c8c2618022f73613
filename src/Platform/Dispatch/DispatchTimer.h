#pragma once

#include "Platform/Dispatch/Clock.h"
#include "Platform/Dispatch/DispatchQueue.h"

#include <memory>

namespace solen::platform {

// A dispatch-source timer. Created suspended; `schedule` sets the first deadline (from now on
// the shared clock) and the repeat interval (none = one-shot). `resume`/`suspend` nest like the
// platform's (a deadline passed while suspended fires on resume). `cancel` may be called from
// any thread, including the handler itself; once `cancel` returns the handler never starts again
// (a handler already running on another thread is waited for, unless cancel is called from it, so
// a handler must not wait for a thread that may cancel it). Destroying the timer cancels it.
// The handler never runs twice at once, and firings that come while one is queued or running
// merge into one more run: a slow handler never builds up a backlog. Missed repeats are skipped.
class DispatchTimer : public std::enable_shared_from_this<DispatchTimer> {
public:
    static std::shared_ptr<DispatchTimer> create(std::shared_ptr<DispatchQueue> queue = DispatchQueue::global());
    ~DispatchTimer();

    void schedule(Clock::Duration deadlineFromNow, std::optional<Clock::Duration> repeating = std::nullopt);
    void setEventHandler(DispatchBlock handler);
    void resume();
    void suspend();
    void cancel();
    bool isCancelled() const;

    struct Impl;
private:
    DispatchTimer() = default;
    std::shared_ptr<Impl> impl_;
};

}  // namespace solen::platform
