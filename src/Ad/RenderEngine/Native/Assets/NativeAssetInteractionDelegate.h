#pragma once

#include "Ad/RenderEngine/Native/AssetOnClick.h"

#include <memory>
#include <optional>

namespace solen {

class NativeAsset;

// Receives taps on assets whose content has loaded. Called on the main thread.
class NativeAssetInteractionDelegate {
public:
    virtual ~NativeAssetInteractionDelegate() = default;
    // `onClick` is the tapped asset's click action, none when its model has none (or it has no
    // model, as a resource image).
    virtual void assetTapped(const std::shared_ptr<NativeAsset>& asset, const std::optional<AssetOnClick>& onClick) = 0;
};

}  // namespace solen
