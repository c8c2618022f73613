#pragma once

#include <solen/SolenExport.h>
#include <solen/adapters/SolenAdapterError.h>
#include <solen/adapters/VideoEvent.h>
#include <solen/ui/View.h>

#include <memory>

namespace solen {

class SolenBaseAdAdapter;

// How a network ad adapter reports to the SDK. The SDK implements it (one object per line-item
// load) and hands it to the adapter as the format's delegate; the adapter passes itself as
// `adapter`. Every callback may be made from any thread.
class SOLEN_EXPORT AdapterDelegate {
public:
    virtual ~AdapterDelegate();

    // The load succeeded. `adView` is the rendered ad for banner-like formats and may be null for
    // full-screen ones.
    virtual void adAdapterDidLoad(SolenBaseAdAdapter& adapter, std::shared_ptr<platform::View> adView) = 0;
    // The load failed; `error` names the adapter as its raiser.
    virtual void adAdapterDidFailToLoad(SolenBaseAdAdapter& adapter, SolenAdapterError error) = 0;
    virtual void adAdapterDidClick(SolenBaseAdAdapter& adapter) = 0;
    // A click is about to open another application.
    virtual void userWillLeaveApplicationFrom(SolenBaseAdAdapter& adapter) = 0;
    virtual void adAdapterWillPresentScreen(SolenBaseAdAdapter& adapter) = 0;
    virtual void adAdapterDidPresentScreen(SolenBaseAdAdapter& adapter) = 0;
    virtual void adAdapterWillDismissScreen(SolenBaseAdAdapter& adapter) = 0;
    virtual void adAdapterDidDismissScreen(SolenBaseAdAdapter& adapter) = 0;
    // The network counted an impression.
    virtual void adapterDidAdImpression(SolenBaseAdAdapter& adapter) = 0;
    virtual void adAdapterDidVideoEventOccurred(VideoEvent event) = 0;

protected:
    AdapterDelegate() = default;
    AdapterDelegate(const AdapterDelegate&) = default;
    AdapterDelegate& operator=(const AdapterDelegate&) = default;
};

}  // namespace solen
