#pragma once

#include "Ad/Adapter/InternalAdapter/FullScreenAdapterWrapper.h"
#include <solen/adapters/SolenBaseInterstitialAdapter.h>

#include <memory>

namespace solen {

// The wrapper around one interstitial line item's network adapter (see AdapterWrapper and
// FullScreenAdapterWrapper). Reports other than the load result are gated on
// `InternalInterstitialAdapterDelegate`. Main thread only.
class InterstitialAdapter final : public FullScreenAdapterWrapper,
                                  public InterstitialAdapterDelegate,
                                  public InternalInterstitialAdapter {
public:
    // Makes the wrapper and sets it as `adapter`'s delegate.
    static std::shared_ptr<InterstitialAdapter> create(std::shared_ptr<SolenBaseInterstitialAdapter> adapter,
                                                       std::weak_ptr<InternalAdapterDelegate> owner,
                                                       std::shared_ptr<TrackerManager> trackerManager = nullptr);

    const std::shared_ptr<SolenBaseInterstitialAdapter>& interstitialAdapter() const { return interstitialAdapter_; }

    // From any thread.
    void adAdapterDidFailToPresent(SolenBaseAdAdapter& adapter, SolenAdapterError error) override;

private:
    friend class AdapterWrapper;
    InterstitialAdapter(std::shared_ptr<SolenBaseInterstitialAdapter> adapter,
                        std::weak_ptr<InternalAdapterDelegate> owner, std::shared_ptr<TrackerManager> trackerManager);

    const std::shared_ptr<SolenBaseInterstitialAdapter> interstitialAdapter_;
};

}  // namespace solen
