#pragma once

#include "ExampleFullScreenAdapter.h"

#include <solen/adapters/SolenBaseInterstitialAdapter.h>

namespace example {

// The example network's interstitial ad adapter (see ExampleFullScreenAdapter).
class ExampleInterstitialAdapter final : public ExampleFullScreenAdapter<solen::SolenBaseInterstitialAdapter> {
public:
    static constexpr const char* className = "SolenExampleAdapter.ExampleInterstitialAdapter";
};

}  // namespace example
