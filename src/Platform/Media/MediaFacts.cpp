#include "Platform/Media/MediaFacts.h"

#include "Platform/Media/MediaError.h"

#include <cmath>
#include <cstring>

namespace solen::platform {

MediaFacts MediaFacts::failure(Error error) {
    MediaFacts facts;
    for (const auto key : keys) facts.failedKeys.emplace(std::string(key), error);
    facts.duration = MediaTime::invalid();
    return facts;
}

MediaFacts MediaFacts::fromProbe(const solen_media_facts& probed) {
    if (probed.result != SOLEN_MEDIA_OK) {
        const auto code = probed.result == SOLEN_MEDIA_UNSUPPORTED_CONTAINER ? MediaError::Code::unsupportedContainer
                                                                             : MediaError::Code::unreadableContainer;
        const std::size_t length = strnlen(probed.message, sizeof(probed.message));
        return failure(MediaError::make(code, std::string(probed.message, length)));
    }
    MediaFacts facts;
    bool decodable = false;
    bool absurdPicture = false;
    const std::uint32_t count = std::min<std::uint32_t>(probed.track_count, SOLEN_MEDIA_MAX_TRACKS);
    for (std::uint32_t i = 0; i < count; ++i) {
        const solen_media_track& track = probed.tracks[i];
        const bool video = track.kind == SOLEN_MEDIA_TRACK_VIDEO;
        if (!video && track.kind != SOLEN_MEDIA_TRACK_AUDIO) continue;
        MediaTrack entry;
        entry.mediaType = video ? MediaTrack::MediaType::video : MediaTrack::MediaType::audio;
        if (video) {
            entry.naturalSize = Size{static_cast<double>(track.width), static_cast<double>(track.height)};
            absurdPicture = absurdPicture || track.width == 0 || track.height == 0 ||
                            track.width > maximumPictureSide || track.height > maximumPictureSide;
        }
        decodable = decodable || track.decodable != 0;
        facts.tracks.push_back(entry);
    }
    facts.playable = decodable && !absurdPicture;
    if (probed.has_duration) {
        const double seconds = probed.duration_seconds;
        if (!std::isfinite(seconds) || seconds <= 0 || seconds > maximumDurationSeconds) {
            facts.failedKeys.emplace(std::string(durationKey),
                                     MediaError::make(MediaError::Code::implausibleDuration,
                                                      "implausible media duration: " + std::to_string(seconds) + " s"));
            facts.duration = MediaTime::invalid();
            facts.playable = false;
        } else {
            facts.duration = MediaTime::withSeconds(seconds, 600);
        }
    }
    return facts;
}

}  // namespace solen::platform
