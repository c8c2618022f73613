#include "Ad/RenderEngine/Vast/Parser/TrackingCreative.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace solen {

std::optional<TrackingCreative> TrackingCreative::make(VastLinearCreative creative, VastAd vastAd) {
    if (!creative.duration) {
        return std::nullopt;
    }
    const double duration = *creative.duration;
    // Whole-second playback times stay below the duration, so the last one a player reports is
    // ceil(duration) - 1. A mark past it could never be reached and the creative never complete
    // (a 3-second creative's third quartile would be 3), so marks are held at that last second.
    const double lastSecond = std::max(0.0, std::ceil(duration) - 1);
    TrackingCreative tracking;
    tracking.firstQuartile = std::min(std::ceil(0.25 * duration), lastSecond);
    tracking.midpoint = std::min(std::ceil(0.5 * duration), lastSecond);
    tracking.thirdQuartile = std::min(std::ceil(duration * 0.75), lastSecond);
    tracking.duration = duration;
    tracking.creative = std::move(creative);
    tracking.vastAd = std::move(vastAd);
    return tracking;
}

}  // namespace solen
