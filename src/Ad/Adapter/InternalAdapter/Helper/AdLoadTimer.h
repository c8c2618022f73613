#pragma once

#include "Commons/Utilities/TimeKeeper.h"

#include <memory>

namespace solen {

// The load time-out of one format wrapper: a one-shot timer started just before the network is
// asked to load. Its expiry runs `timeoutFailure()` on the main thread, which fails a wrapper that
// is still loading with `lineItemTimeout` and leaves any other alone. Main thread only.
class AdLoadTimer {
public:
    virtual ~AdLoadTimer() = default;

    // The latest timer; a killed one stays here, suspended, until a new start replaces it.
    virtual std::shared_ptr<TimeKeeper> adLoadTimer() const = 0;
    // Replaces any earlier timer with one of `withIntervalInMilli` / 1000 seconds and starts it.
    virtual void startAdLoadTimer(double withIntervalInMilli) = 0;
    // Suspends the timer when there is one ("LoadTimer suspended"); nothing otherwise.
    virtual void killAdTimer() = 0;
    virtual void timeoutFailure() = 0;
};

}  // namespace solen
