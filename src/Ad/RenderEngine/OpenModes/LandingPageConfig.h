#pragma once

#include "Ad/RenderEngine/Native/AssetOnClick.h"

#include <optional>

namespace solen {

// What a tap on a native asset opens: the asset's own click, and the ad's click to fall back on
// when the asset's address does not parse.
struct LandingPageConfig {
    std::optional<AssetOnClick> onClick;
    std::optional<AssetOnClick> fallbackOnClick;
};

}  // namespace solen
