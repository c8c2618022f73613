#pragma once

#include "Ad/RenderEngine/Native/Assets/NativeAsset.h"

#include <solen/ui/Error.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace solen::test {

// An asset's interaction and load delegate that records every call, the state the asset was in
// when it reported, and whether the call came on the main thread.
class AssetDelegateRecorder final : public NativeAssetInteractionDelegate, public NativeAssetLoadDelegate {
public:
    struct Event {
        // "loaded", "failed" or "tapped".
        std::string kind;
        std::shared_ptr<NativeAsset> asset;
        std::optional<platform::Error> error;
        std::optional<AssetOnClick> onClick;
        std::optional<NativeAssetState> stateAtReport;
        bool onMainThread = false;
    };

    void assetLoadedSuccessfully(const std::shared_ptr<NativeAsset>& asset) override;
    void assetLoadFailed(const std::shared_ptr<NativeAsset>& asset, const platform::Error& error) override;
    void assetTapped(const std::shared_ptr<NativeAsset>& asset, const std::optional<AssetOnClick>& onClick) override;

    std::vector<Event> events;
    // The kinds in order: {"loaded", "tapped", ...}.
    std::vector<std::string> kinds() const;
};

}  // namespace solen::test
