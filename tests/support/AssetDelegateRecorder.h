#pragma once

#include "Ad/RenderEngine/Native/Assets/NativeAsset.h"
#include "Platform/Dispatch/MainLoop.h"

#include <solen/ui/Error.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace solen::test {

// An asset's interaction and load delegate that records every call with the state the asset was
// in when it reported and whether the call came on the main thread.
class AssetDelegateRecorder final : public NativeAssetInteractionDelegate, public NativeAssetLoadDelegate {
public:
    struct Event {
        std::string kind;  // "loaded", "failed" or "tapped"
        std::shared_ptr<NativeAsset> asset;
        std::optional<platform::Error> error;
        std::optional<AssetOnClick> onClick;
        NativeAssetState stateAtReport = NativeAssetState::default_;
        bool onMainThread = false;
    };

    void assetLoadedSuccessfully(const std::shared_ptr<NativeAsset>& asset) override { record("loaded", asset); }
    void assetLoadFailed(const std::shared_ptr<NativeAsset>& asset, const platform::Error& error) override {
        record("failed", asset).error = error;
    }
    void assetTapped(const std::shared_ptr<NativeAsset>& asset, const std::optional<AssetOnClick>& onClick) override {
        record("tapped", asset).onClick = onClick;
    }

    std::vector<std::string> kinds() const {
        std::vector<std::string> result;
        for (const Event& event : events) result.push_back(event.kind);
        return result;
    }

    std::vector<Event> events;

private:
    Event& record(std::string kind, const std::shared_ptr<NativeAsset>& asset) {
        events.push_back(Event{std::move(kind), asset, std::nullopt, std::nullopt, asset->assetState(),
                               platform::MainLoop::shared().isMainThread()});
        return events.back();
    }
};

}  // namespace solen::test
