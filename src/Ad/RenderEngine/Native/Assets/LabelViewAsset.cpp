#include "Ad/RenderEngine/Native/Assets/LabelViewAsset.h"

#include "Platform/Dispatch/MainLoop.h"

#include <cassert>

namespace solen {

std::shared_ptr<LabelViewAsset> LabelViewAsset::create(platform::Rect frame, std::string assetName,
                                                       LabelAssetModel model, Delegate delegate) {
    std::shared_ptr<LabelViewAsset> asset(new LabelViewAsset(frame, std::move(assetName), std::move(model)));
    asset->setAssetState(NativeAssetState::loading);
    asset->setDelegate(delegate);
    asset->setUserInteractionEnabled(true);
    return asset;
}

LabelViewAsset::LabelViewAsset(platform::Rect frame, std::string assetName, LabelAssetModel model)
    : NativeAssetView(frame, std::move(assetName)), model_(std::move(model)) {}

void LabelViewAsset::loadAsset() {
    assert(platform::MainLoop::shared().isMainThread());
    if (model_.value.empty()) {
        reportFailed(AssetError::emptyAssetValue(assetName()));
        return;
    }
    setText(model_.value);
    reportLoaded();
}

}  // namespace solen
