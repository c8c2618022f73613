#pragma once

#include "Ad/RenderEngine/Native/MediaAssetContentValue.h"
#include "Ad/RenderEngine/Native/MediaType.h"
#include "Commons/Json/JsonReader.h"

namespace solen {

// The media asset of a native creative. `type` names the kind but does not steer how `content`
// decodes: a video-typed media may hold image content.
struct MediaAssetModel {
    MediaType type = MediaType::default_;
    MediaAssetContentValue content;

    static MediaAssetModel decode(const JsonReader& reader);
    Json encode() const;
    bool operator==(const MediaAssetModel&) const = default;
};

}  // namespace solen
