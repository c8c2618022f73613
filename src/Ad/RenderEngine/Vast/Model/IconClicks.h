#pragma once

#include "Ad/RenderEngine/Vast/Model/VastIconClickTracking.h"
#include "Platform/Foundation/URL.h"

#include <optional>
#include <vector>

namespace solen {

// The clicks of an icon (IconClicks); built directly.
struct IconClicks {
    std::optional<platform::URL> iconClickThrough;
    std::vector<VastIconClickTracking> iconClickTracking;

    bool operator==(const IconClicks&) const = default;
};

}  // namespace solen
