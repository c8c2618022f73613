#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAdVerificationParameters.h"
#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"
#include "Ad/RenderEngine/Vast/Model/VastResource.h"
#include "Ad/RenderEngine/Vast/Model/VastViewableImpression.h"

#include <optional>
#include <string>
#include <vector>

namespace solen {

// An ad verification vendor with its scripts (Verification).
struct VastVerification {
    std::optional<std::string> vendor;
    std::optional<VastViewableImpression> viewableImpression;
    std::optional<VastAdVerificationParameters> verificationParameters;
    std::vector<VastResource> javaScriptResource;
    std::vector<VastResource> flashResources;

    // Reads "vendor"; child records absent and lists empty.
    static VastVerification fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VastVerification&) const = default;
};

}  // namespace solen
