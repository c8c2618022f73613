#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAd.h"
#include "Ad/RenderEngine/Vast/Model/VastLinearCreative.h"

#include <optional>

namespace solen {

// The playback record of the linear creative a VAST tracker is following: the creative, its ad,
// the quartile marks, a once-flag for each quartile and whether its playback has started. A mark
// is its share of the duration rounded up to a whole second (30 s: 8, 15, 23); a share inside the
// last second stays exact (3 s: 1, 2, 2.25; 1 s: 0.25, 0.5, 0.75), so every mark lies before the
// end and none before its share.
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
    // Set when the tracker fires the creative's start: no quartile is reported before it.
    bool started = false;

    // Nothing when the creative has no duration (`TrackingCreativeError::noDurationInVastLinearCreative`).
    static std::optional<TrackingCreative> make(VastLinearCreative creative, VastAd vastAd);
};

}  // namespace solen
