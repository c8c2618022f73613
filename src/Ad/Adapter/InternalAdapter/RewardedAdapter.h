#pragma once

#include "Ad/Adapter/InternalAdapter/FullScreenAdapterWrapper.h"
#include <solen/adapters/SolenBaseRewardedAdapter.h>

#include <memory>

namespace solen {

// The wrapper around one rewarded line item's network adapter (see AdapterWrapper and
// FullScreenAdapterWrapper). Reports other than the load result, the reward included, are gated
// on `InternalRewardedAdapterDelegate`. Main thread only.
class RewardedAdapter final : public FullScreenAdapterWrapper,
                              public RewardedAdapterDelegate,
                              public InternalRewardedAdapter {
public:
    // Makes the wrapper and sets it as `adapter`'s delegate.
    static std::shared_ptr<RewardedAdapter> create(std::shared_ptr<SolenBaseRewardedAdapter> adapter,
                                                   std::weak_ptr<InternalAdapterDelegate> owner,
                                                   std::shared_ptr<TrackerManager> trackerManager = nullptr);

    const std::shared_ptr<SolenBaseRewardedAdapter>& rewardedAdapter() const { return rewardedAdapter_; }

    // From any thread.
    void adAdapterDidFailToPresent(SolenBaseAdAdapter& adapter, SolenAdapterError error) override;
    // Passed on as received, whatever the value.
    void adAdapterRewardsUnlocked(SolenBaseAdAdapter& adapter, nlohmann::ordered_json rewards) override;

private:
    friend class AdapterWrapper;
    RewardedAdapter(std::shared_ptr<SolenBaseRewardedAdapter> adapter, std::weak_ptr<InternalAdapterDelegate> owner,
                    std::shared_ptr<TrackerManager> trackerManager);

    const std::shared_ptr<SolenBaseRewardedAdapter> rewardedAdapter_;
};

}  // namespace solen
