#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAdParameters.h"
#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"
#include "Ad/RenderEngine/Vast/Model/VastStaticResource.h"
#include "Ad/RenderEngine/Vast/Model/VastTrackingEvent.h"
#include "Platform/Foundation/URL.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace solen {

// One companion of a creative (Companion). Attributes are kept as written, except the width.
struct VastCompanionCreative {
    std::int64_t width = 0;
    std::optional<std::string> id;
    std::optional<std::string> height;
    std::optional<std::string> assetWidth;
    std::optional<std::string> assetHeight;
    std::optional<std::string> expandedWidth;
    std::optional<std::string> expandedHeight;
    std::optional<std::string> apiFramework;
    std::optional<std::string> adSlotId;
    std::optional<std::string> pxratio;
    std::optional<std::string> renderingMode;
    std::optional<VastAdParameters> adParameters;
    std::optional<std::string> altText;
    std::vector<VastStaticResource> staticResource;
    std::vector<platform::URL> iFrameResource;
    std::vector<platform::URL> htmlResource;
    std::optional<platform::URL> companionClickThrough;
    std::vector<platform::URL> companionClickTracking;
    std::vector<VastTrackingEvent> trackingEvents;

    // Reads the standard Companion attributes ("width" as a whole number, 0 when it is not one);
    // child records absent and lists empty.
    static VastCompanionCreative fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VastCompanionCreative&) const = default;
};

}  // namespace solen
