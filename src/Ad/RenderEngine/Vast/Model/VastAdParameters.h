#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"

#include <optional>
#include <string>

namespace solen {

// Parameters handed to the creative (AdParameters).
struct VastAdParameters {
    std::optional<bool> xmlEncoded;
    std::optional<std::string> content;

    // Reads "xmlEncoded"; `content` starts absent.
    static VastAdParameters fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VastAdParameters&) const = default;
};

}  // namespace solen
