#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"
#include "Platform/Foundation/URL.h"

#include <optional>
#include <string>

namespace solen {

// An interactive file of a linear creative (InteractiveCreativeFile).
struct VastInteractiveCreativeFile {
    std::optional<std::string> type;
    std::optional<std::string> apiFramework;
    std::optional<platform::URL> url;

    // Reads "type" and "apiFramework"; `url` starts absent.
    static VastInteractiveCreativeFile fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VastInteractiveCreativeFile&) const = default;
};

}  // namespace solen
