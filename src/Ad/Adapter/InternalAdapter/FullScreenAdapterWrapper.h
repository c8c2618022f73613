#pragma once

#include "Ad/Adapter/InternalAdapter/AdapterWrapper.h"
#include "Ad/Adapter/InternalAdapter/Helper/AdRenderTimer.h"

#include <memory>

namespace solen {

// What the interstitial and rewarded wrappers add to the shared body: the render timer that
// bounds a presentation, and the network's presentation failure. The show path starts the timer
// on the main thread just before it asks the network to show. The network's will-present stops it
// (before it is reported); so does the network's presentation failure, so one show gives at most
// one presentation-failure report. An expiry reports `renderTimeout` and leaves the load state
// alone. `abandon()` and release stop it too. Main thread only.
class FullScreenAdapterWrapper : public AdapterWrapper, public virtual AdRenderTimer {
public:
    ~FullScreenAdapterWrapper() override;

    // AdRenderTimer
    std::shared_ptr<TimeKeeper> adRenderTimer() const override { return renderTimeout_.keeper(); }
    void startAdRenderTimer(double withIntervalInMilli) override;
    void killAdRenderTimer() override;
    void renderTimeoutFailure() override;

    // From any thread.
    void adAdapterWillPresentScreen(SolenBaseAdAdapter& adapter) override;

protected:
    using AdapterWrapper::AdapterWrapper;

    // The network could not present: stops the render timer and reports `error`, gated.
    void didFailToPresent(SolenAdapterError error);
    void stopTimers() override;

private:
    AdTimeout renderTimeout_{AdTimeout::renderTexts};
};

}  // namespace solen
