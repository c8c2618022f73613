#include "Ad/RenderEngine/Native/NativeAdLoader.h"

#include "Commons/Utilities/Logger.h"
#include "Platform/Dispatch/MainLoop.h"

#include <cassert>
#include <utility>

namespace solen {

template <class Test>
bool NativeAdLoader::allSlots(Test test) const {
    // The first four the native ad always fills: empty means not built, which is not ready. A
    // media slot without an inner asset is neither ready nor in place.
    const std::pair<const NativeAsset*, bool> slots[] = {
        {title.get(), true}, {description.get(), true}, {media.get(), true}, {sponsored.get(), true},
        {icon.get(), false}, {rating.get(), false},     {cta.get(), false},  {adChoices.get(), false},
    };
    for (const auto& [asset, always] : slots) {
        if (asset ? !test(*asset) : always) {
            return false;
        }
    }
    return true;
}

bool NativeAdLoader::allAssetsLoaded() const {
    return allSlots([](const NativeAsset& asset) { return asset.isAssetReady(); });
}

bool NativeAdLoader::assetViewsInPlace() const {
    return allSlots([](const NativeAsset& asset) { return asset.isAssetInPlace(); });
}

void NativeAdLoader::loadAssets() {
    assert(platform::MainLoop::shared().isMainThread());
    // Reports arrive while this runs; the native ad may let go of the loader on one of them.
    const std::shared_ptr<NativeAdLoader> self = shared_from_this();
    const auto start = [](const auto& asset) {
        if (asset) asset->loadAsset();
    };
    start(title);
    start(description);
    start(sponsored);
    start(media);
    start(rating);
    start(cta);
    for (const auto& image : {icon, adChoices}) {
        if (image) {
            image->setAssetState(NativeAssetState::loading);
            image->loadAsset();
        }
    }
}

void NativeAdLoader::assetLoadedSuccessfully(const std::shared_ptr<NativeAsset>& asset) {
    if (!asset) {
        Logger::error("Invalid Asset Protocol");
        return;
    }
    Logger::debug(asset->assetName());
    if (allAssetsLoaded()) {
        if (const auto ad = delegate()) {
            ad->nativeAdAssetLoadedSuccessfully(*this);
        }
    }
}

void NativeAdLoader::assetLoadFailed(const std::shared_ptr<NativeAsset>& asset, const platform::Error& error) {
    if (!asset) {
        Logger::error("Invalid Asset Protocol");
        return;
    }
    Logger::debug(asset->assetName() + " build fail with error " + error.localizedDescription);
    if (!asset->isAssetReady()) {
        if (const auto ad = delegate()) {
            ad->nativeAdAssetLoadFailed(*this, error);
        }
    }
}

void NativeAdLoader::assetTapped(const std::shared_ptr<NativeAsset>&, const std::optional<AssetOnClick>& onClick) {
    const std::shared_ptr<NativeAdLoader> self = shared_from_this();
    landingProcessor_ = std::make_shared<LandingPageProcessor>(LandingPageConfig{onClick, this->onClick});
    landingProcessor_->setDelegate(std::static_pointer_cast<LandingPageDelegate>(self));
    // Keep this processor for the call: a browser event inside open() could lead to a new tap.
    const std::shared_ptr<LandingPageProcessor> processor = landingProcessor_;
    processor->open();
    if (const auto link = adapter()) {
        link->nativeAdClicked();
    }
}

void NativeAdLoader::videoAssetEventOccurred(VideoEvent event) {
    if (const auto link = adapter()) {
        link->nativeAdVideoEventOccurred(event);
    }
}

std::shared_ptr<S2sNativeAdDelegate> NativeAdLoader::adapter() const {
    const auto ad = delegate();
    return ad ? ad->s2sNativeAdDelegate() : nullptr;
}

std::shared_ptr<platform::ViewController> NativeAdLoader::viewControllerForModalPresentation() {
    const auto link = adapter();
    return link ? link->viewControllerForModalPresentation() : nullptr;
}

std::shared_ptr<platform::ViewController> NativeAdLoader::viewControllerForPresentation() {
    return viewControllerForModalPresentation();
}

void NativeAdLoader::browserWillPresent() {
    if (const auto link = adapter()) link->nativeAdWillPresentScreen();
}

void NativeAdLoader::browserDidPresent() {
    if (const auto link = adapter()) link->nativeAdDidPresentScreen();
}

void NativeAdLoader::browserWillDismiss() {
    if (const auto link = adapter()) link->nativeAdWillDismissScreen();
}

void NativeAdLoader::browserDidDismiss() {
    if (const auto link = adapter()) link->nativeAdDidDismissScreen();
}

}  // namespace solen
