#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"
#include "Platform/Foundation/URL.h"

#include <optional>
#include <string>

namespace solen {

// An impression address of an ad (Impression).
struct VastImpression {
    std::optional<std::string> id;
    std::optional<platform::URL> url;

    // Reads "id"; `url` starts absent.
    static VastImpression fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VastImpression&) const = default;
};

}  // namespace solen
