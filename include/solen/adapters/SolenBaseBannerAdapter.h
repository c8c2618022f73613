#pragma once

#include <solen/SolenExport.h>
#include <solen/adapters/AdapterDelegateSlot.h>
#include <solen/adapters/BannerAdapterDelegate.h>
#include <solen/adapters/SolenBaseAdAdapter.h>
#include <solen/ui/View.h>

#include <memory>

namespace solen {

// A network's banner ad adapter. `getAdView` runs on the main thread.
class SOLEN_EXPORT SolenBaseBannerAdapter : public virtual SolenBaseAdAdapter,
                                            public AdapterDelegateSlot<BannerAdapterDelegate> {
public:
    // The banner to insert, after a successful load; may be null.
    virtual std::shared_ptr<platform::View> getAdView() = 0;
};

}  // namespace solen
