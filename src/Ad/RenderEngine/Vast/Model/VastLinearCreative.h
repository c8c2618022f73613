#pragma once

#include "Ad/RenderEngine/Vast/Model/VastAdParameters.h"
#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"
#include "Ad/RenderEngine/Vast/Model/VastIcon.h"
#include "Ad/RenderEngine/Vast/Model/VastMediaFiles.h"
#include "Ad/RenderEngine/Vast/Model/VastTrackingEvent.h"
#include "Ad/RenderEngine/Vast/Model/VastVideoClick.h"
#include "Platform/Foundation/URL.h"

#include <optional>
#include <string>
#include <vector>

namespace solen {

// The linear (video) part of a creative (Linear).
struct VastLinearCreative {
    std::optional<std::string> skipOffset;
    std::optional<double> duration;
    std::optional<VastAdParameters> adParameters;
    std::vector<VastVideoClick> videoClicks;
    std::vector<VastTrackingEvent> trackingEvents;
    VastMediaFiles files;
    std::vector<VastIcon> icons;

    // Reads "skipoffset"; `duration` and child records absent, lists empty.
    static VastLinearCreative fromAttributes(const VastAttributes::Map& attributes);

    // The media file to play on a screen `screenWidth` points wide. The caller reads the device:
// `onWiFi` is connection class 1 of the internet route's reachability flags (an unreadable
// reading is not Wi-Fi), `screenWidth` the main screen's width in points. Candidates are the files that
    // have an address; a width that is not a number counts as 0. On Wi-Fi: the narrowest candidate at
    // least as wide as the screen, else the widest; on other networks: the widest candidate not wider
    // than the screen, else the narrowest. Ties go to the earlier file. Nothing only when no file has
    // an address.
    std::optional<platform::URL> selectMediaFileURL(bool onWiFi, double screenWidth) const;

    bool operator==(const VastLinearCreative&) const = default;
};

}  // namespace solen
