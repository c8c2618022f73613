#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"

#include <optional>
#include <string>

namespace solen {

// A category of an ad (Category).
struct VastAdCategory {
    std::optional<std::string> authority;
    std::optional<std::string> category;

    // Reads "authority"; `category` starts absent.
    static VastAdCategory fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VastAdCategory&) const = default;
};

}  // namespace solen
