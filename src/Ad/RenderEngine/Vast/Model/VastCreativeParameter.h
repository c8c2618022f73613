#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"

#include <optional>
#include <string>

namespace solen {

// One parameter of an extension (CreativeParameter).
struct VastCreativeParameter {
    std::optional<std::string> creativeId;
    std::optional<std::string> name;
    std::optional<std::string> type;
    std::optional<std::string> content;

    // Reads "creativeId", "name" and "type"; `content` starts absent.
    static VastCreativeParameter fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VastCreativeParameter&) const = default;
};

}  // namespace solen
