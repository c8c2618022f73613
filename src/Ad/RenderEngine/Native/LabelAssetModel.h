#pragma once

#include "Ad/RenderEngine/Native/AssetOnClick.h"
#include "Commons/Json/JsonReader.h"

#include <optional>
#include <string>

namespace solen {

// A text asset of a native creative.
struct LabelAssetModel {
    bool required = false;
    std::string value;
    std::optional<AssetOnClick> onClick;

    static LabelAssetModel decode(const JsonReader& reader);
    Json encode() const;
    bool operator==(const LabelAssetModel&) const = default;
};

}  // namespace solen
