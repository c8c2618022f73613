#pragma once

#include "Commons/Json/JsonReader.h"
#include <solen/ui/InterfaceOrientation.h>
#include <solen/ui/InterfaceOrientationMask.h>

#include <optional>
#include <string>
#include <string_view>

namespace solen {

// The creative's MRAID settings as its property calls set them. The bridge sends every value as
// text, so each reader takes a number or the text of a finite number (C locale, the whole text,
// no leading blank; "nan", "inf" and values beyond the double range are no number), and a Boolean
// as true/false or the exact texts "true"/"false". Plain values; thread-safe as values are.

// Set by "expandprops" (and "useCustomClose", which creates a zero record when none is stored).
struct MRAIDExpandProperties {
    std::optional<double> width;        // "width": missing or no number gives 0
    std::optional<double> height;       // "height": as width
    std::optional<bool> useCustomClose;  // "close": missing or no Boolean gives false
    std::optional<bool> isModal;        // "isModal": another text gives absent; missing or other values false

    // Fails (JsonDecodingError) only when `json` is not an object.
    static MRAIDExpandProperties decode(const Json& json);
    // Present fields only.
    Json encode() const;
    friend bool operator==(const MRAIDExpandProperties&, const MRAIDExpandProperties&) = default;
};

// Set by "resizeprops"; a resize without one uses the default record.
struct MRAIDResizeProperties {
    double width = 0;        // "width": missing or no number gives 0
    double height = 0;       // "height"
    double offsetX = 0;      // "offsetX"
    double offsetY = 0;      // "offsetY"
    bool allowOffScreen = false;  // "allowOffscreen"
    // "closeButtonPosition", else the bridge's own key "customClosePosition", else "top-right".
    std::string closeButtonPosition = "top-right";

    static MRAIDResizeProperties decode(const Json& json);
    // All six fields.
    Json encode() const;
    friend bool operator==(const MRAIDResizeProperties&, const MRAIDResizeProperties&) = default;
};

// Set by "orientprops"; read by the full-screen controller. All three keys are required.
struct MRAIDOrientationPropertites {
    bool allowOrientationChange = true;
    std::string forceOrientation;
    std::string direction;

    // Fails (JsonDecodingError) when `json` is not an object or a key is missing or of the wrong kind.
    static MRAIDOrientationPropertites decode(const Json& json);
    Json encode() const;
    // The full-screen controller's rotation rules, from the record and the current status-bar
    // orientation (read on the main thread): "landscape" keeps a landscape device as it is, else
    // turns by `direction` ("left" or right); "portrait" allows both portrait orientations; any
    // other text (letter case counts) allows all four and prefers the current orientation.
    platform::InterfaceOrientationMask supportedInterfaceOrientations() const;
    platform::InterfaceOrientation preferredInterfaceOrientation() const;
    friend bool operator==(const MRAIDOrientationPropertites&, const MRAIDOrientationPropertites&) = default;
};

namespace MRAIDValues {
// A JSON number or the text of one, finite; anything else is none.
std::optional<double> number(const Json& value);
// true/false or the exact texts "true"/"false".
std::optional<bool> boolean(const Json& value);
}  // namespace MRAIDValues

}  // namespace solen
