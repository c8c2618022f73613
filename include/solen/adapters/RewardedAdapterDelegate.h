#pragma once

#include <solen/SolenExport.h>
#include <solen/adapters/AdapterDelegate.h>
#include <solen/adapters/SolenAdapterError.h>

#include <nlohmann/json.hpp>

namespace solen {

// The delegate of a rewarded ad adapter. Callable from any thread.
class SOLEN_EXPORT RewardedAdapterDelegate : public virtual AdapterDelegate {
public:
    // Showing the loaded ad failed.
    virtual void adAdapterDidFailToPresent(SolenBaseAdAdapter& adapter, SolenAdapterError error) = 0;
    // The user earned the reward; `rewards` is a JSON object the network defines.
    virtual void adAdapterRewardsUnlocked(SolenBaseAdAdapter& adapter, nlohmann::ordered_json rewards) = 0;
};

}  // namespace solen
