#pragma once

#include <solen/SolenExport.h>
#include <solen/adapters/AdapterDelegateSlot.h>
#include <solen/adapters/SolenBaseAdAdapter.h>
#include <solen/ui/ViewController.h>

#include <memory>

namespace solen {

// What the full-screen formats (interstitial, rewarded) share: readiness and show, on the main
// thread, with the format's delegate. Adapters derive from the format's own protocol.
template <class Delegate>
class SOLEN_EXPORT SolenBaseFullScreenAdapter : public virtual SolenBaseAdAdapter, public AdapterDelegateSlot<Delegate> {
public:
    // Whether the loaded ad can be shown now.
    virtual bool isReady() = 0;
    // Presents the ad full screen from `viewController`; a failure is reported with the
    // delegate's `adAdapterDidFailToPresent`.
    virtual void show(std::shared_ptr<platform::ViewController> viewController) = 0;
};

}  // namespace solen
