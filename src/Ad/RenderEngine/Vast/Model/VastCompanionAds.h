#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"
#include "Ad/RenderEngine/Vast/Model/VastCompanionCreative.h"

#include <string>
#include <string_view>
#include <vector>

namespace solen {

// How many companions the player has to show.
enum class CompanionsRequirement {
    all,
    any,
    none,
};

// The text the document writes for the case.
std::string_view rawValue(CompanionsRequirement value);
// The case whose text is exactly `text`, else `CompanionsRequirement::none`.
CompanionsRequirement companionsRequirementFromRawValue(std::string_view text);

// The companion part of a creative (CompanionAds).
struct VastCompanionAds {
    CompanionsRequirement required = CompanionsRequirement::none;
    std::vector<VastCompanionCreative> companions;

    // Reads "required" (`none` when missing or unknown); no companions yet.
    static VastCompanionAds fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VastCompanionAds&) const = default;
};

}  // namespace solen
