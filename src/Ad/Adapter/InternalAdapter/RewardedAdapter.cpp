#include "Ad/Adapter/InternalAdapter/RewardedAdapter.h"

namespace solen {

RewardedAdapter::RewardedAdapter(std::shared_ptr<SolenBaseRewardedAdapter> adapter,
                                 std::weak_ptr<InternalAdapterDelegate> owner,
                                 std::shared_ptr<TrackerManager> trackerManager)
    : FullScreenAdapterWrapper(AdFormat::rewarded, &implements<InternalRewardedAdapterDelegate>, adapter,
                               std::move(owner), std::move(trackerManager)),
      rewardedAdapter_(std::move(adapter)) {}

std::shared_ptr<RewardedAdapter> RewardedAdapter::create(std::shared_ptr<SolenBaseRewardedAdapter> adapter,
                                                         std::weak_ptr<InternalAdapterDelegate> owner,
                                                         std::shared_ptr<TrackerManager> trackerManager) {
    return make<RewardedAdapter>(std::move(adapter), std::move(owner), std::move(trackerManager));
}

void RewardedAdapter::adAdapterDidFailToPresent(SolenBaseAdAdapter& /*adapter*/, SolenAdapterError error) {
    didFailToPresent(std::move(error));
}

void RewardedAdapter::adAdapterRewardsUnlocked(SolenBaseAdAdapter& /*adapter*/, nlohmann::ordered_json rewards) {
    onMain([rewards = std::move(rewards)](AdapterWrapper& wrapper) {
        logCallback("adAdapterRewardsUnlocked");
        static_cast<RewardedAdapter&>(wrapper).reportGated(
            [&rewards](InternalAdapterDelegate& bidder, const std::shared_ptr<InternalAdAdapter>& adapter) {
                // The gate is the rewarded refinement.
                dynamic_cast<InternalRewardedAdapterDelegate&>(bidder).adAdapterRewardedActionCompletedWith(adapter,
                                                                                                           rewards);
            });
    });
}

}  // namespace solen
