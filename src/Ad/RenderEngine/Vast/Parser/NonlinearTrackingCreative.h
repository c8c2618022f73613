#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAd.h"
#include "Ad/RenderEngine/Vast/Model/VastNonLinearAdsCreative.h"

namespace solen {

// The playback record of a non-linear-ads creative: its marks in seconds and a flag per event.
// Nothing builds one yet; it is the state a non-linear tracker keeps.
struct NonlinearTrackingCreative {
    VastNonLinearAdsCreative creative;
    VastAd vastAd;
    double firstQuartile = 0;
    double midpoint = 0;
    double thirdQuartile = 0;
    bool trackedStart = false;
    bool trackedFirstQuartile = false;
    bool trackedMidpoint = false;
    bool trackedThirdQuartile = false;
    bool trackedComplete = false;
};

}  // namespace solen
