#pragma once

#include "ExampleFullScreenAdapter.h"

#include <solen/adapters/SolenBaseRewardedAdapter.h>

namespace example {

// The example network's rewarded ad adapter (see ExampleFullScreenAdapter): once presented it
// also reports the reward, the value "reward" of the line item's settings (an empty object
// without one).
class ExampleRewardedAdapter final : public ExampleFullScreenAdapter<solen::SolenBaseRewardedAdapter> {
public:
    static constexpr const char* className = "SolenExampleAdapter.ExampleRewardedAdapter";

protected:
    void didPresent() override;
};

}  // namespace example
