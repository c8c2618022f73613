#include "Ad/RenderEngine/Vast/Model/VastVideoClick.h"

namespace solen {

std::string_view rawValue(ClickType value) {
    switch (value) {
        case ClickType::clickThrough: return "ClickThrough";
        case ClickType::clickTracking: return "ClickTracking";
        case ClickType::customClick: return "CustomClick";
    }
    return "ClickThrough";
}

std::optional<ClickType> clickTypeFromRawValue(std::string_view text) {
    for (ClickType value : {ClickType::clickThrough, ClickType::clickTracking, ClickType::customClick}) {
        if (rawValue(value) == text) {
            return value;
        }
    }
    return std::nullopt;
}

VastVideoClick VastVideoClick::fromAttributes(ClickType type, const VastAttributes::Map& attributes) {
    VastVideoClick r;
    r.id = VastAttributes::text(attributes, "id");
    r.type = type;
    return r;
}

}  // namespace solen
