#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"
#include "Platform/Foundation/URL.h"

#include <optional>
#include <string>

namespace solen {

// A click-tracking address of an icon (IconClickTracking).
struct VastIconClickTracking {
    std::optional<std::string> id;
    std::optional<platform::URL> url;

    // Reads "id"; `url` starts absent.
    static VastIconClickTracking fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VastIconClickTracking&) const = default;
};

}  // namespace solen
