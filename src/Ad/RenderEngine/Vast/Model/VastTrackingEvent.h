#pragma once

#include <solen/adapters/VideoEvent.h>

#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"
#include "Platform/Foundation/URL.h"

#include <optional>
#include <string>
#include <string_view>

namespace solen {

// The VAST tracking event names; the text of each case is its name. They are the video events
// adapters report, in the same order.
using TrackingEventType = VideoEvent;

// The text the document writes for the case.
std::string_view rawValue(TrackingEventType value);
// The case whose text is exactly `text`, else `TrackingEventType::unknown`.
TrackingEventType trackingEventTypeFromRawValue(std::string_view text);

// A tracking address of a linear, non-linear or companion creative (Tracking).
struct VastTrackingEvent {
    TrackingEventType type = TrackingEventType::unknown;
    std::optional<double> offset;
    // True when the offset was written as "n%": `offset` is then the fraction n/100 of the
    // creative's duration, whatever its size.
    bool offsetIsFraction = false;
    std::optional<platform::URL> url;
    bool tracked = false;

    // Reads "event" (`unknown` when missing or not a known name) and "offset";
    // `url` starts absent and `tracked` false.
    static VastTrackingEvent fromAttributes(const VastAttributes::Map& attributes);

    // An offset text in seconds: a clock time when it has a colon ("00:00:05.5"), "n%" as the
    // fraction n/100, a plain number as seconds; anything else is absent.
    static std::optional<double> readOffset(std::string_view text);
    // True when `text` is a percentage offset ("n%").
    static bool isPercentage(std::string_view text);

    bool operator==(const VastTrackingEvent&) const = default;
};

}  // namespace solen
