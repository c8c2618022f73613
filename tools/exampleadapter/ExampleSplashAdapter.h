#pragma once

#include "ExampleViewAdapter.h"

#include <solen/adapters/SolenBaseSplashAdapter.h>

namespace example {

// The example network's splash ad adapter (see ExampleViewAdapter): the splash is a view from the
// application's template, the size of the loaded ad, when the configuration names one, and else
// the loaded ad's own view. A tap on either reports a click; the first time one of them is in a
// window, the impression is reported.
class ExampleSplashAdapter final : public ExampleViewAdapter<solen::SolenBaseSplashAdapter> {
public:
    static constexpr const char* className = "SolenExampleAdapter.ExampleSplashAdapter";

    std::shared_ptr<solen::platform::View> getAdView(std::optional<solen::SolenAdViewConfiguration> configuration) override;

private:
    // Main thread only.
    bool loadedViewWatched_ = false;
    bool impressionReported_ = false;
};

}  // namespace example
