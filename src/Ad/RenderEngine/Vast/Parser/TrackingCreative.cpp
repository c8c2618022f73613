#include "Ad/RenderEngine/Vast/Parser/TrackingCreative.h"

#include <cmath>
#include <utility>

namespace solen {
namespace {

// Playback times are measured in whole seconds, so a quartile's mark is the whole second at or
// after its share of the duration. When that second is not before the end (a share inside the
// last second), the mark is the share itself: a later mark would never be reached, an earlier
// one would report the quartile before it was played.
double quartileMark(double share, double duration) {
    const double wholeSecond = std::ceil(share * duration);
    return wholeSecond < duration ? wholeSecond : share * duration;
}

}  // namespace

std::optional<TrackingCreative> TrackingCreative::make(VastLinearCreative creative, VastAd vastAd) {
    if (!creative.duration) {
        return std::nullopt;
    }
    const double duration = *creative.duration;
    TrackingCreative tracking;
    tracking.firstQuartile = quartileMark(0.25, duration);
    tracking.midpoint = quartileMark(0.5, duration);
    tracking.thirdQuartile = quartileMark(0.75, duration);
    tracking.duration = duration;
    tracking.creative = std::move(creative);
    tracking.vastAd = std::move(vastAd);
    return tracking;
}

}  // namespace solen
