#pragma once

#include "Ad/Adapter/InternalAdapter/AdapterWrapper.h"
#include <solen/adapters/SolenBaseSplashAdapter.h>

#include <memory>

namespace solen {

// The wrapper around one splash line item's network adapter (see AdapterWrapper). Reports other
// than the load result are gated on `InternalSplashAdapterDelegate`. Main thread only.
class SplashAdapter final : public AdapterWrapper, public SplashAdapterDelegate, public InternalSplashAdapter {
public:
    // Makes the wrapper and sets it as `adapter`'s delegate.
    static std::shared_ptr<SplashAdapter> create(std::shared_ptr<SolenBaseSplashAdapter> adapter,
                                                 std::weak_ptr<InternalAdapterDelegate> owner,
                                                 std::shared_ptr<TrackerManager> trackerManager = nullptr);

    const std::shared_ptr<SolenBaseSplashAdapter>& splashAdapter() const { return splashAdapter_; }

private:
    friend class AdapterWrapper;
    SplashAdapter(std::shared_ptr<SolenBaseSplashAdapter> adapter, std::weak_ptr<InternalAdapterDelegate> owner,
                  std::shared_ptr<TrackerManager> trackerManager);

    const std::shared_ptr<SolenBaseSplashAdapter> splashAdapter_;
};

}  // namespace solen
