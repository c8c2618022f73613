#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"
#include "Platform/Foundation/URL.h"

#include <optional>
#include <string>

namespace solen {

// A static resource (StaticResource) of a companion, non-linear or icon.
struct VastStaticResource {
    std::string creativeType;
    std::optional<platform::URL> url;

    // Reads "creativeType" (empty when missing); `url` starts absent.
    static VastStaticResource fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VastStaticResource&) const = default;
};

}  // namespace solen
