#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"
#include "Ad/RenderEngine/Vast/Model/VastCompanionAds.h"
#include "Ad/RenderEngine/Vast/Model/VastCreativeExtension.h"
#include "Ad/RenderEngine/Vast/Model/VastLinearCreative.h"
#include "Ad/RenderEngine/Vast/Model/VastNonLinearAdsCreative.h"
#include "Ad/RenderEngine/Vast/Model/VastUniversalAdId.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace solen {

// One creative of an ad (Creative): a linear, non-linear or companion part.
struct VastCreative {
    std::optional<std::string> id;
    std::optional<std::string> adId;
    std::optional<std::int64_t> sequence;
    std::optional<std::string> apiFramework;
    std::optional<VastUniversalAdId> universalAdId;
    std::vector<VastCreativeExtension> creativeExtensions;
    std::optional<VastLinearCreative> linear;
    std::optional<VastNonLinearAdsCreative> nonLinearAds;
    std::optional<VastCompanionAds> companionAds;

    // Reads "id", "adId", "sequence" and "apiFramework"; parts absent, lists empty.
    static VastCreative fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VastCreative&) const = default;
};

}  // namespace solen
