#pragma once

#include <solen/ui/Error.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace solen::platform {

// Error objects of the media stand-ins: a media file that cannot be had or read, an image that
// cannot be made, a playback that broke off.
class MediaError {
public:
    static constexpr std::string_view errorDomain = "solen.platform.MediaError";

    enum class Code : std::int64_t {
        moduleUnavailable = 1,      // the media module could not be loaded
        badServerResponse = 2,      // the media address answered with a status other than 200
        unsupportedContainer = 3,   // not an MP4, QuickTime, 3GP or WebM file
        unreadableContainer = 4,    // the container headers are cut short or corrupt
        implausibleDuration = 5,    // zero, negative or absurdly long
        unknownKey = 6,             // a key the asset does not know
        noVideoTrack = 7,           // an image was asked of media without pictures
        timeOutsideItem = 8,        // an image was asked for a time outside the media
        playbackFailed = 9,         // playback broke off
    };

    static Error make(Code code, std::string message);
};

}  // namespace solen::platform
