#include "Ad/RenderEngine/Vast/Model/VastCompanionAds.h"

namespace solen {

std::string_view rawValue(CompanionsRequirement value) {
    switch (value) {
        case CompanionsRequirement::all: return "all";
        case CompanionsRequirement::any: return "any";
        case CompanionsRequirement::none: return "none";
    }
    return "none";
}

CompanionsRequirement companionsRequirementFromRawValue(std::string_view text) {
    for (CompanionsRequirement value : {CompanionsRequirement::all, CompanionsRequirement::any, CompanionsRequirement::none}) {
        if (rawValue(value) == text) {
            return value;
        }
    }
    return CompanionsRequirement::none;
}

VastCompanionAds VastCompanionAds::fromAttributes(const VastAttributes::Map& attributes) {
    VastCompanionAds r;
    if (auto required = VastAttributes::text(attributes, "required")) {
        r.required = companionsRequirementFromRawValue(*required);
    }
    return r;
}

}  // namespace solen
