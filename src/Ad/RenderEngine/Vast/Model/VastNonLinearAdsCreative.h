#pragma once

#include "Ad/RenderEngine/Vast/Model/VastNonLinear.h"
#include "Ad/RenderEngine/Vast/Model/VastTrackingEvent.h"

#include <vector>

namespace solen {

// The non-linear part of a creative (NonLinearAds); built directly with empty lists.
struct VastNonLinearAdsCreative {
    std::vector<VastTrackingEvent> trackingEvents;
    std::vector<VastNonLinear> nonLinear;

    bool operator==(const VastNonLinearAdsCreative&) const = default;
};

}  // namespace solen
