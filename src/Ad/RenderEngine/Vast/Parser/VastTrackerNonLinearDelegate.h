#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAd.h"

namespace solen {

class VastTrackerNonLinear;

// Told by a non-linear tracker when its ad break starts and ends. Held weakly; nothing calls it yet.
class VastTrackerNonLinearDelegate {
public:
    virtual ~VastTrackerNonLinearDelegate() = default;

    virtual void vastTrackerNonLinearDidStartAdBreak(VastTrackerNonLinear& tracker, const VastAd& vastAd) = 0;
    virtual void vastTrackerNonLinearDidEndAdBreak(VastTrackerNonLinear& tracker, const VastAd& vastAd) = 0;
};

}  // namespace solen
