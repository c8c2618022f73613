#pragma once

#include <solen/SolenAdViewConfiguration.h>
#include <solen/SolenExport.h>
#include <solen/adapters/AdapterDelegateSlot.h>
#include <solen/adapters/SolenBaseAdAdapter.h>
#include <solen/adapters/SplashAdapterDelegate.h>
#include <solen/ui/View.h>

#include <memory>
#include <optional>

namespace solen {

// A network's splash ad adapter. `getAdView` runs on the main thread.
class SOLEN_EXPORT SolenBaseSplashAdapter : public virtual SolenBaseAdAdapter,
                                            public AdapterDelegateSlot<SplashAdapterDelegate> {
public:
    // The splash view after a successful load, from the application's template when a
    // configuration names one; may be null.
    virtual std::shared_ptr<platform::View> getAdView(std::optional<SolenAdViewConfiguration> configuration) = 0;
};

}  // namespace solen
