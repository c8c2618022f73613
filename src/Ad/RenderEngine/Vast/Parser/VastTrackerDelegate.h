#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAd.h"

namespace solen {

class VastTracker;

// Told by a VAST tracker when a quartile of the current creative was tracked. Held weakly.
class VastTrackerDelegate {
public:
    virtual ~VastTrackerDelegate() = default;

    virtual void vastTrackerDidTrackFirstQuartile(VastTracker& tracker, const VastAd& vastAd) = 0;
    virtual void vastTrackerDidTrackMidpoint(VastTracker& tracker, const VastAd& vastAd) = 0;
    virtual void vastTrackerDidTrackThirdQuartile(VastTracker& tracker, const VastAd& vastAd) = 0;
};

}  // namespace solen
