#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"
#include "Ad/RenderEngine/Vast/Model/VastCreativeParameter.h"

#include <optional>
#include <string>
#include <vector>

namespace solen {

// An ad-level extension (Extension).
struct VastExtension {
    std::optional<std::string> type;
    std::vector<VastCreativeParameter> creativeParameters;

    // Reads "type"; `creativeParameters` starts empty.
    static VastExtension fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VastExtension&) const = default;
};

}  // namespace solen
