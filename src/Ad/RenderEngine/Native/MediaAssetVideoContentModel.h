#pragma once

#include "Ad/RenderEngine/Native/AssetOnClick.h"
#include "Ad/RenderEngine/Native/VideoPlayerControlsModel.h"
#include "Commons/Json/JsonReader.h"

#include <optional>
#include <string>

namespace solen {

// A video media asset: a whole VAST document with its player settings.
struct MediaAssetVideoContentModel {
    bool required = false;
    std::string vastXml;
    std::optional<AssetOnClick> onClick;
    VideoPlayerControlsModel videoPlayerControls;

    static MediaAssetVideoContentModel decode(const JsonReader& reader);
    Json encode() const;
    bool operator==(const MediaAssetVideoContentModel&) const = default;
};

}  // namespace solen
