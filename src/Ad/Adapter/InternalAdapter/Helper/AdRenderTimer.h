#pragma once

#include "Commons/Utilities/TimeKeeper.h"

#include <memory>

namespace solen {

// The presentation time-out of a full-screen wrapper: started by the show path just before the
// network is asked to show, stopped when the network announces the presentation (or reports that
// it cannot present). Its expiry runs `renderTimeoutFailure()` on the main thread, which reports
// `renderTimeout` to the bidder; the load state does not change. Main thread only.
class AdRenderTimer {
public:
    virtual ~AdRenderTimer() = default;

    // The latest timer; a killed one stays here, suspended, until a new start replaces it.
    virtual std::shared_ptr<TimeKeeper> adRenderTimer() const = 0;
    // Replaces any earlier timer with one of `withIntervalInMilli` / 1000 seconds and starts it;
    // a time-out that is not positive expires at once.
    virtual void startAdRenderTimer(double withIntervalInMilli) = 0;
    // Suspends the timer when there is one ("adRenderTimer suspended"); nothing otherwise.
    virtual void killAdRenderTimer() = 0;
    virtual void renderTimeoutFailure() = 0;
};

}  // namespace solen
