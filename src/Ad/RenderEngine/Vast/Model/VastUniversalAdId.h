#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"

#include <optional>
#include <string>

namespace solen {

// The registry identifier of a creative (UniversalAdId).
struct VastUniversalAdId {
    std::optional<std::string> idRegistry;
    std::optional<std::string> idValue;
    std::optional<std::string> uniqueCreativeId;

    // Reads "idRegistry" and "idValue"; `uniqueCreativeId` (the element text) starts absent.
    static VastUniversalAdId fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VastUniversalAdId&) const = default;
};

}  // namespace solen
