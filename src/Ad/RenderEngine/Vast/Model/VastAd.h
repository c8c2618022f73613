#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAdCategory.h"
#include "Ad/RenderEngine/Vast/Model/VastAdSystem.h"
#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"
#include "Ad/RenderEngine/Vast/Model/VastCreative.h"
#include "Ad/RenderEngine/Vast/Model/VastExtension.h"
#include "Ad/RenderEngine/Vast/Model/VastImpression.h"
#include "Ad/RenderEngine/Vast/Model/VastPricing.h"
#include "Ad/RenderEngine/Vast/Model/VastSurvey.h"
#include "Ad/RenderEngine/Vast/Model/VastVerification.h"
#include "Ad/RenderEngine/Vast/Model/VastViewableImpression.h"
#include "Ad/RenderEngine/Vast/Model/VastWrapper.h"
#include "Platform/Foundation/URL.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace solen {

// Whether an ad is complete or points to another document.
enum class AdType {
    inLine,
    wrapper,
    unknown,
};

// The text the document writes for the case.
std::string_view rawValue(AdType value);
// The case whose text is exactly `text`, else `AdType::unknown`.
AdType adTypeFromRawValue(std::string_view text);

// One ad of a VAST document (Ad), inline or wrapper.
struct VastAd {
    AdType type = AdType::unknown;
    std::string id;
    std::optional<std::int64_t> sequence;
    std::optional<bool> conditionalAd;
    std::optional<VastAdSystem> adSystem;
    std::vector<VastImpression> impressions;
    std::vector<VastVerification> adVerifications;
    std::optional<VastViewableImpression> viewableImpression;
    std::optional<VastPricing> pricing;
    std::vector<platform::URL> errors;
    std::vector<VastCreative> creatives;
    std::vector<VastExtension> extensions;
    std::optional<std::string> adTitle;
    std::vector<VastAdCategory> adCategories;
    std::optional<std::string> description;
    std::optional<std::string> advertiser;
    std::vector<VastSurvey> surveys;
    std::optional<VastWrapper> wrapper;

    // Reads "id" (empty when missing), "sequence" and "conditionalAd"; `type` is `unknown`.
    static VastAd fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VastAd&) const = default;
};

}  // namespace solen
