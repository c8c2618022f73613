#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"
#include "Platform/Foundation/URL.h"

#include <optional>

namespace solen {

// The Wrapper element of a wrapper ad.
struct VastWrapper {
    std::optional<bool> followAdditionalWrappers;
    std::optional<bool> allowMultipleAds;
    std::optional<bool> fallbackOnNoAd;
    std::optional<platform::URL> adTagUri;

    // Reads the three Boolean attributes; `adTagUri` starts absent.
    static VastWrapper fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VastWrapper&) const = default;
};

}  // namespace solen
