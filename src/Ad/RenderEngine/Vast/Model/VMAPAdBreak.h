#pragma once

#include "Ad/RenderEngine/Vast/Model/VMAPAdSource.h"
#include "Ad/RenderEngine/Vast/Model/VMAPTrackingEvent.h"
#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace solen {

// The kind of ads a break holds.
enum class VMAPAdBreakType {
    linear,
    nonlinear,
    display,
    unknown,
};

// The text the document writes for the case.
std::string_view rawValue(VMAPAdBreakType value);
// The case whose text is exactly `text`, else `VMAPAdBreakType::unknown`.
VMAPAdBreakType vmapAdBreakTypeFromRawValue(std::string_view text);

// One ad break of a VMAP document (vmap:AdBreak).
struct VMAPAdBreak {
    std::optional<std::string> breakId;
    std::optional<std::string> repeatAfter;
    VMAPAdBreakType breakType = VMAPAdBreakType::unknown;
    std::string timeOffset;
    std::optional<VMAPAdSource> adSource;
    std::vector<VMAPTrackingEvent> trackingEvents;

    // Reads "breakId", "repeatAfter", "breakType" and "timeOffset" (empty when missing);
    // no ad source and no tracking events yet.
    static VMAPAdBreak fromAttributes(const VastAttributes::Map& attributes);

    bool operator==(const VMAPAdBreak&) const = default;
};

}  // namespace solen
