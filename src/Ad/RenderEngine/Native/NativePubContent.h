#pragma once

#include "Ad/RenderEngine/Native/AssetOnClick.h"
#include "Ad/RenderEngine/Native/ImageAssetModel.h"
#include "Ad/RenderEngine/Native/LabelAssetModel.h"
#include "Ad/RenderEngine/Native/MediaAssetModel.h"
#include "Commons/Json/JsonReader.h"

#include <optional>

namespace solen {

// The assets of a natively rendered creative.
struct NativePubContent {
    LabelAssetModel title;
    LabelAssetModel description;
    std::optional<ImageAssetModel> icon;
    MediaAssetModel media;
    LabelAssetModel sponsored;
    std::optional<LabelAssetModel> rating;
    std::optional<LabelAssetModel> cta;
    std::optional<ImageAssetModel> adChoices;
    std::optional<AssetOnClick> onClick;

    static NativePubContent decode(const JsonReader& reader);
    Json encode() const;
    bool operator==(const NativePubContent&) const = default;
};

}  // namespace solen
