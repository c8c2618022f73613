#pragma once

#include <solen/SolenExport.h>
#include <solen/adapters/AdapterDelegate.h>
#include <solen/ui/ViewController.h>

#include <memory>

namespace solen {

// The delegate of a banner ad adapter. Callable from any thread.
class SOLEN_EXPORT BannerAdapterDelegate : public virtual AdapterDelegate {
public:
    // The view controller from which the adapter may present landing pages; may be null.
    virtual std::shared_ptr<platform::ViewController> viewControllerForModalPresentation() = 0;
};

}  // namespace solen
