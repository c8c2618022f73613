#pragma once

#include <solen/SolenAdViewConfiguration.h>
#include <solen/SolenExport.h>
#include <solen/SolenNativeAdView.h>
#include <solen/adapters/AdapterDelegateSlot.h>
#include <solen/adapters/NativeAdapterDelegate.h>
#include <solen/adapters/SolenBaseAdAdapter.h>
#include <solen/ui/Rect.h>

#include <memory>
#include <optional>

namespace solen {

// A network's native ad adapter. Its view calls, `adViewAttached` and `adViewFrameUpdated` run on
// the main thread.
class SOLEN_EXPORT SolenBaseNativeAdapter : public virtual SolenBaseAdAdapter,
                                            public AdapterDelegateSlot<NativeAdapterDelegate> {
public:
    // The ad's view after a successful load, built from the application's template when a
    // configuration names one (the made view must be a SolenNativeAdView, else give none); may be
    // null. Asked again for every view the application wants.
    virtual std::shared_ptr<SolenNativeAdView> getAdView(std::optional<SolenAdViewConfiguration> configuration) = 0;
    // The view handed out is about to move into a superview (true) or out of one (false).
    virtual void adViewAttached(bool attached) = 0;
    // The view handed out draws `frame`. The default does nothing.
    virtual void adViewFrameUpdated(platform::Rect frame);
};

}  // namespace solen
