#pragma once

#include "ExampleViewAdapter.h"

#include <solen/adapters/SolenBaseBannerAdapter.h>

namespace example {

// The example network's banner ad adapter (see ExampleViewAdapter): its view is the banner.
class ExampleBannerAdapter final : public ExampleViewAdapter<solen::SolenBaseBannerAdapter> {
public:
    static constexpr const char* className = "SolenExampleAdapter.ExampleBannerAdapter";

    std::shared_ptr<solen::platform::View> getAdView() override { return view_; }
};

}  // namespace example
