#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"
#include "Ad/RenderEngine/Vast/Model/VastStaticResource.h"
#include "Platform/Foundation/URL.h"

#include <optional>
#include <string>

namespace solen {

// One non-linear ad (NonLinear).
struct VastNonLinear {
    std::optional<std::string> id;
    std::optional<std::string> width;
    std::optional<std::string> height;
    std::optional<VastStaticResource> staticResource;
    std::optional<platform::URL> nonLinearClickTracking;

    // Reads "id", "width" and "height"; resource and click tracking start absent.
    static VastNonLinear fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VastNonLinear&) const = default;
};

}  // namespace solen
