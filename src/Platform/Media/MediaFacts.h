#pragma once

#include <solen/ui/Error.h>
#include "Platform/Media/MediaProbeInterface.h"
#include "Platform/Media/MediaTime.h"
#include <solen/ui/Size.h>

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace solen::platform {

// One audio or video track of a media file.
struct MediaTrack {
    enum class MediaType { audio, video };
    MediaType mediaType = MediaType::video;
    Size naturalSize;  // zero for audio

    friend bool operator==(const MediaTrack&, const MediaTrack&) = default;
};

// What the media stand-ins know of one media address: for each key ("tracks", "playable",
// "duration") whether it loaded or failed with an error, and the loaded values. The simulation
// fields let a scripted source make playback stall or break off; facts read from a real file
// never have them.
struct MediaFacts {
    static constexpr std::string_view tracksKey = "tracks";
    static constexpr std::string_view playableKey = "playable";
    static constexpr std::string_view durationKey = "duration";
    static constexpr std::array<std::string_view, 3> keys{tracksKey, playableKey, durationKey};

    // Picture sides above this many pixels are taken for a corrupt header.
    static constexpr double maximumPictureSide = 16384;
    // Media longer than this is taken for a corrupt header (no ad runs a day).
    static constexpr double maximumDurationSeconds = 24 * 3600;

    // Keys that failed, with their error (possibly absent). A key not listed loaded.
    std::map<std::string, std::optional<Error>, std::less<>> failedKeys;
    bool playable = false;
    MediaTime duration = MediaTime::indefinite();
    std::vector<MediaTrack> tracks;

    // Simulation: when the moving play head reaches `atSeconds` the buffer runs empty, and it
    // refills after `forSeconds` of clock time; with `endsInError` the download gives up then
    // instead, and playback fails there.
    struct Stall {
        double atSeconds = 0;
        double forSeconds = 0;
        bool endsInError = false;
    };
    std::vector<Stall> stalls;
    // Simulation: playback breaks off when the moving play head reaches this time.
    std::optional<double> failsAtSeconds;

    // Every key failed with `error`: nothing about the file is known.
    static MediaFacts failure(Error error);
    // The facts the media module read from a file. Playable needs a track the module can decode
    // and no video track with a missing or absurd picture size; a zero, negative or absurd
    // duration fails the "duration" key; a refused container fails every key.
    static MediaFacts fromProbe(const solen_media_facts& probed);
};

}  // namespace solen::platform
