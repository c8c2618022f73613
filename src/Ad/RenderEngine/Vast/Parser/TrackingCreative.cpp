#include "Ad/RenderEngine/Vast/Parser/TrackingCreative.h"

#include <cmath>
#include <utility>

namespace solen {

std::optional<TrackingCreative> TrackingCreative::make(VastLinearCreative creative, VastAd vastAd) {
    if (!creative.duration) {
        return std::nullopt;
    }
    const double duration = *creative.duration;
    TrackingCreative tracking;
    tracking.firstQuartile = std::ceil(0.25 * duration);
    tracking.midpoint = std::ceil(0.5 * duration);
    tracking.thirdQuartile = std::ceil(duration * 0.75);
    tracking.duration = duration;
    tracking.creative = std::move(creative);
    tracking.vastAd = std::move(vastAd);
    return tracking;
}

}  // namespace solen
