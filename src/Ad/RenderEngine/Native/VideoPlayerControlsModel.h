#pragma once

#include "Commons/Json/JsonReader.h"

namespace solen {

// Initial player settings of a native video asset.
struct VideoPlayerControlsModel {
    bool mute = false;
    bool autoPlay = false;

    static VideoPlayerControlsModel decode(const JsonReader& reader);
    Json encode() const;
    bool operator==(const VideoPlayerControlsModel&) const = default;
};

}  // namespace solen
