#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"
#include "Platform/Foundation/URL.h"

#include <optional>
#include <string>
#include <string_view>

namespace solen {

// The events of an ad break.
enum class VMAPTrackingEventType {
    breakStart,
    breakEnd,
    error,
    unknown,
};

// The text the document writes for the case.
std::string_view rawValue(VMAPTrackingEventType value);
// The case whose text is exactly `text`, else `VMAPTrackingEventType::unknown`.
VMAPTrackingEventType vmapTrackingEventTypeFromRawValue(std::string_view text);

// A break-level tracking address of a VMAP document (vmap:Tracking).
struct VMAPTrackingEvent {
    VMAPTrackingEventType event = VMAPTrackingEventType::unknown;
    std::optional<platform::URL> url;

    // Reads "event" (`unknown` when missing or unknown); `url` starts absent.
    static VMAPTrackingEvent fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VMAPTrackingEvent&) const = default;
};

}  // namespace solen
