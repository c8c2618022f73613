#pragma once

#include "Ad/RenderEngine/Native/OpenModeType.h"
#include "Commons/Json/JsonReader.h"

#include <optional>
#include <string>
#include <vector>

namespace solen {

// A click action of a native asset: the landing address, how to open it, and the trackers fired
// on the click.
struct AssetOnClick {
    std::string url;
    std::optional<OpenModeType> openMode;
    std::optional<std::vector<std::string>> clickTrackers;

    static AssetOnClick decode(const JsonReader& reader);
    Json encode() const;
    bool operator==(const AssetOnClick&) const = default;
};

}  // namespace solen
