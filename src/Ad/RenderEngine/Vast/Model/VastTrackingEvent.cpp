#include "Ad/RenderEngine/Vast/Model/VastTrackingEvent.h"

#include "Ad/RenderEngine/Vast/Parser/VastDurationParser.h"
#include <cmath>

namespace solen {

std::string_view rawValue(TrackingEventType value) {
    switch (value) {
        case TrackingEventType::start: return "start";
        case TrackingEventType::firstQuartile: return "firstQuartile";
        case TrackingEventType::midpoint: return "midpoint";
        case TrackingEventType::thirdQuartile: return "thirdQuartile";
        case TrackingEventType::complete: return "complete";
        case TrackingEventType::creativeView: return "creativeView";
        case TrackingEventType::mute: return "mute";
        case TrackingEventType::unmute: return "unmute";
        case TrackingEventType::pause: return "pause";
        case TrackingEventType::rewind: return "rewind";
        case TrackingEventType::resume: return "resume";
        case TrackingEventType::fullscreen: return "fullscreen";
        case TrackingEventType::exitFullscreen: return "exitFullscreen";
        case TrackingEventType::playerExpand: return "playerExpand";
        case TrackingEventType::playerCollapse: return "playerCollapse";
        case TrackingEventType::acceptInvitationLinear: return "acceptInvitationLinear";
        case TrackingEventType::closeLinear: return "closeLinear";
        case TrackingEventType::skip: return "skip";
        case TrackingEventType::progress: return "progress";
        case TrackingEventType::collapse: return "collapse";
        case TrackingEventType::expand: return "expand";
        case TrackingEventType::acceptInvitation: return "acceptInvitation";
        case TrackingEventType::close: return "close";
        case TrackingEventType::unknown: return "unknown";
    }
    return "unknown";
}

TrackingEventType trackingEventTypeFromRawValue(std::string_view text) {
    for (TrackingEventType value : {TrackingEventType::start, TrackingEventType::firstQuartile, TrackingEventType::midpoint, TrackingEventType::thirdQuartile, TrackingEventType::complete, TrackingEventType::creativeView, TrackingEventType::mute, TrackingEventType::unmute, TrackingEventType::pause, TrackingEventType::rewind, TrackingEventType::resume, TrackingEventType::fullscreen, TrackingEventType::exitFullscreen, TrackingEventType::playerExpand, TrackingEventType::playerCollapse, TrackingEventType::acceptInvitationLinear, TrackingEventType::closeLinear, TrackingEventType::skip, TrackingEventType::progress, TrackingEventType::collapse, TrackingEventType::expand, TrackingEventType::acceptInvitation, TrackingEventType::close, TrackingEventType::unknown}) {
        if (rawValue(value) == text) {
            return value;
        }
    }
    return TrackingEventType::unknown;
}

VastTrackingEvent VastTrackingEvent::fromAttributes(const VastAttributes::Map& attributes) {
    VastTrackingEvent r;
    if (auto event = VastAttributes::text(attributes, "event")) {
        r.type = trackingEventTypeFromRawValue(*event);
    }
    if (auto offset = VastAttributes::text(attributes, "offset")) {
        r.offset = readOffset(*offset);
        r.offsetIsFraction = r.offset && isPercentage(*offset);
    }
    return r;
}

bool VastTrackingEvent::isPercentage(std::string_view text) {
    text = VastAttributes::trimmed(text);
    return !text.empty() && text.back() == '%' && text.find(':') == std::string_view::npos;
}

std::optional<double> VastTrackingEvent::readOffset(std::string_view text) {
    text = VastAttributes::trimmed(text);
    if (text.find(':') != std::string_view::npos) {
        return parseVastDuration(text);
    }
    const bool percent = isPercentage(text);
    if (percent) {
        text.remove_suffix(1);
    }
    const auto value = VastAttributes::decimal(text);
    if (!value || !std::isfinite(*value) || *value < 0.0) {
        return std::nullopt;
    }
    return percent ? *value / 100.0 : *value;
}

}  // namespace solen
