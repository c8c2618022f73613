#pragma once

#include <solen/SolenExport.h>
#include <solen/adapters/RewardedAdapterDelegate.h>
#include <solen/adapters/SolenBaseFullScreenAdapter.h>

namespace solen {

// A network's rewarded ad adapter. `isReady` and `show` run on the main thread; the reward is
// reported with the delegate's `adAdapterRewardsUnlocked`.
class SOLEN_EXPORT SolenBaseRewardedAdapter : public SolenBaseFullScreenAdapter<RewardedAdapterDelegate> {};

}  // namespace solen
