#include "Ad/RenderEngine/Vast/Model/VastAd.h"

namespace solen {

std::string_view rawValue(AdType value) {
    switch (value) {
        case AdType::inLine: return "inline";
        case AdType::wrapper: return "wrapper";
        case AdType::unknown: return "unknown";
    }
    return "unknown";
}

AdType adTypeFromRawValue(std::string_view text) {
    for (AdType value : {AdType::inLine, AdType::wrapper, AdType::unknown}) {
        if (rawValue(value) == text) {
            return value;
        }
    }
    return AdType::unknown;
}

VastAd VastAd::fromAttributes(const VastAttributes::Map& attributes) {
    VastAd r;
    r.id = VastAttributes::text(attributes, "id").value_or("");
    r.sequence = VastAttributes::integer(attributes, "sequence");
    r.conditionalAd = VastAttributes::boolean(attributes, "conditionalAd");
    return r;
}

}  // namespace solen
