#include "support/AssetDelegateRecorder.h"

#include "Platform/Dispatch/MainLoop.h"

namespace solen::test {

namespace {

AssetDelegateRecorder::Event event(std::string kind, const std::shared_ptr<NativeAsset>& asset) {
    AssetDelegateRecorder::Event recorded;
    recorded.kind = std::move(kind);
    recorded.asset = asset;
    if (asset) recorded.stateAtReport = asset->assetState();
    recorded.onMainThread = platform::MainLoop::shared().isMainThread();
    return recorded;
}

}  // namespace

void AssetDelegateRecorder::assetLoadedSuccessfully(const std::shared_ptr<NativeAsset>& asset) {
    events.push_back(event("loaded", asset));
}

void AssetDelegateRecorder::assetLoadFailed(const std::shared_ptr<NativeAsset>& asset, const platform::Error& error) {
    events.push_back(event("failed", asset));
    events.back().error = error;
}

void AssetDelegateRecorder::assetTapped(const std::shared_ptr<NativeAsset>& asset,
                                        const std::optional<AssetOnClick>& onClick) {
    events.push_back(event("tapped", asset));
    events.back().onClick = onClick;
}

std::vector<std::string> AssetDelegateRecorder::kinds() const {
    std::vector<std::string> result;
    for (const Event& recorded : events) result.push_back(recorded.kind);
    return result;
}

}  // namespace solen::test
