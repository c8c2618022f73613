#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"

#include <optional>
#include <string>

namespace solen {

// The ad server that returned the ad (AdSystem).
struct VastAdSystem {
    std::optional<std::string> version;
    std::optional<std::string> system;

    // Reads "version"; `system` (the element text) starts absent.
    static VastAdSystem fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VastAdSystem&) const = default;
};

}  // namespace solen
