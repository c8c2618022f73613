#pragma once

#include <solen/SolenExport.h>
#include <solen/adapters/AdapterDelegate.h>
#include <solen/adapters/SolenAdapterError.h>

namespace solen {

// The delegate of an interstitial ad adapter. Callable from any thread.
class SOLEN_EXPORT InterstitialAdapterDelegate : public virtual AdapterDelegate {
public:
    // Showing the loaded ad failed.
    virtual void adAdapterDidFailToPresent(SolenBaseAdAdapter& adapter, SolenAdapterError error) = 0;
};

}  // namespace solen
