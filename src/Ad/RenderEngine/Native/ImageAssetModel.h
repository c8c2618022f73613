#pragma once

#include "Ad/RenderEngine/Native/AssetOnClick.h"
#include "Commons/Json/JsonReader.h"

#include <optional>
#include <string>

namespace solen {

// An image asset of a native creative: the image's address and an optional click action.
struct ImageAssetModel {
    bool required = false;
    std::string url;
    std::optional<AssetOnClick> onClick;

    static ImageAssetModel decode(const JsonReader& reader);
    Json encode() const;
    bool operator==(const ImageAssetModel&) const = default;
};

}  // namespace solen
