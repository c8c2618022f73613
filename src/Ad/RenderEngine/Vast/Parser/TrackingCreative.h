#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAd.h"
#include "Ad/RenderEngine/Vast/Model/VastLinearCreative.h"

#include <optional>

namespace solen {

// The playback record of the linear creative a VAST tracker is following: the creative, its ad,
// the quartile marks in whole seconds (rounded up, and at most the last whole second before the
// end, so that a short creative reaches every mark) and a once-flag for each quartile.
struct TrackingCreative {
    VastLinearCreative creative;
    VastAd vastAd;
    double firstQuartile = 0;
    double midpoint = 0;
    double thirdQuartile = 0;
    double duration = 0;
    bool trackedFirstQuartile = false;
    bool trackedMidpoint = false;
    bool trackedThirdQuartile = false;

    // Nothing when the creative has no duration (`TrackingCreativeError::noDurationInVastLinearCreative`).
    static std::optional<TrackingCreative> make(VastLinearCreative creative, VastAd vastAd);
};

}  // namespace solen
