#include "Ad/RenderEngine/Vast/Model/VMAPAdBreak.h"

namespace solen {

std::string_view rawValue(VMAPAdBreakType value) {
    switch (value) {
        case VMAPAdBreakType::linear: return "linear";
        case VMAPAdBreakType::nonlinear: return "nonlinear";
        case VMAPAdBreakType::display: return "display";
        case VMAPAdBreakType::unknown: return "unknown";
    }
    return "unknown";
}

VMAPAdBreakType vmapAdBreakTypeFromRawValue(std::string_view text) {
    for (VMAPAdBreakType value : {VMAPAdBreakType::linear, VMAPAdBreakType::nonlinear, VMAPAdBreakType::display, VMAPAdBreakType::unknown}) {
        if (rawValue(value) == text) {
            return value;
        }
    }
    return VMAPAdBreakType::unknown;
}

VMAPAdBreak VMAPAdBreak::fromAttributes(const VastAttributes::Map& attributes) {
    VMAPAdBreak r;
    r.breakId = VastAttributes::text(attributes, "breakId");
    r.repeatAfter = VastAttributes::text(attributes, "repeatAfter");
    if (auto type = VastAttributes::text(attributes, "breakType")) {
        r.breakType = vmapAdBreakTypeFromRawValue(*type);
    }
    r.timeOffset = VastAttributes::text(attributes, "timeOffset").value_or("");
    return r;
}

}  // namespace solen
