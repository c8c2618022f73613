#pragma once

#include "Platform/Dispatch/Clock.h"

#include <memory>

namespace solen::test {

// Installs a ManualClock as the shared clock while alive and restores the previous clock when
// destroyed. Timers and delayed blocks scheduled meanwhile read this clock: moving it hands due
// delayed blocks and dispatch-timer firings to their queues before `advance` returns, and makes
// run-loop timers due for the next turn of the main loop.
class ScopedManualClock {
public:
    ScopedManualClock();
    ~ScopedManualClock();
    ScopedManualClock(const ScopedManualClock&) = delete;
    ScopedManualClock& operator=(const ScopedManualClock&) = delete;

    const std::shared_ptr<platform::ManualClock>& clock() const { return clock_; }
    platform::Clock::TimePoint now() const { return clock_->now(); }
    void advance(platform::Clock::Duration by) { clock_->advance(by); }
    void advanceSeconds(double seconds) { clock_->advanceSeconds(seconds); }

private:
    std::shared_ptr<platform::ManualClock> clock_;
    std::shared_ptr<platform::Clock> previous_;
};

}  // namespace solen::test
