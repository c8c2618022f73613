#include "Ad/RenderEngine/Vast/Model/VMAPTrackingEvent.h"

namespace solen {

std::string_view rawValue(VMAPTrackingEventType value) {
    switch (value) {
        case VMAPTrackingEventType::breakStart: return "breakStart";
        case VMAPTrackingEventType::breakEnd: return "breakEnd";
        case VMAPTrackingEventType::error: return "error";
        case VMAPTrackingEventType::unknown: return "unknown";
    }
    return "unknown";
}

VMAPTrackingEventType vmapTrackingEventTypeFromRawValue(std::string_view text) {
    for (VMAPTrackingEventType value : {VMAPTrackingEventType::breakStart, VMAPTrackingEventType::breakEnd, VMAPTrackingEventType::error, VMAPTrackingEventType::unknown}) {
        if (rawValue(value) == text) {
            return value;
        }
    }
    return VMAPTrackingEventType::unknown;
}

VMAPTrackingEvent VMAPTrackingEvent::fromAttributes(const VastAttributes::Map& attributes) {
    VMAPTrackingEvent r;
    if (auto event = VastAttributes::text(attributes, "event")) {
        r.event = vmapTrackingEventTypeFromRawValue(*event);
    }
    return r;
}

}  // namespace solen
