#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"
#include "Platform/Foundation/URL.h"

#include <optional>
#include <string>

namespace solen {

// A verification script (JavaScriptResource or FlashResource).
struct VastResource {
    std::optional<std::string> apiFramework;
    std::optional<platform::URL> url;

    // Reads "apiFramework"; `url` starts absent.
    static VastResource fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VastResource&) const = default;
};

}  // namespace solen
