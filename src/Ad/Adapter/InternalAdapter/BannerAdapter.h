#pragma once

#include "Ad/Adapter/InternalAdapter/AdapterWrapper.h"
#include <solen/adapters/SolenBaseBannerAdapter.h>

#include <memory>

namespace solen {

// The wrapper around one banner line item's network adapter (see AdapterWrapper). Reports other
// than the load result are gated on `InternalBannerAdapterDelegate`, which also answers the
// network's view-controller query. Main thread only.
class BannerAdapter final : public AdapterWrapper, public BannerAdapterDelegate, public InternalBannerAdapter {
public:
    // Makes the wrapper and sets it as `adapter`'s delegate.
    static std::shared_ptr<BannerAdapter> create(std::shared_ptr<SolenBaseBannerAdapter> adapter,
                                                 std::weak_ptr<InternalAdapterDelegate> owner,
                                                 std::shared_ptr<TrackerManager> trackerManager = nullptr);

    const std::shared_ptr<SolenBaseBannerAdapter>& bannerAdapter() const { return bannerAdapter_; }

    // From any thread; answered on the main thread.
    std::shared_ptr<platform::ViewController> viewControllerForModalPresentation() override;

private:
    friend class AdapterWrapper;
    BannerAdapter(std::shared_ptr<SolenBaseBannerAdapter> adapter, std::weak_ptr<InternalAdapterDelegate> owner,
                  std::shared_ptr<TrackerManager> trackerManager);

    const std::shared_ptr<SolenBaseBannerAdapter> bannerAdapter_;
};

}  // namespace solen
