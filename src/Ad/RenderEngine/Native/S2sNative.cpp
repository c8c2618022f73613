#include "Ad/RenderEngine/Native/S2sNative.h"

#include "Ad/Network/AdError.h"
#include "Commons/Utilities/Logger.h"
#include "Platform/Dispatch/MainLoop.h"

#include <cassert>
#include <string>

namespace solen {

std::shared_ptr<S2sNative> S2sNative::create(std::weak_ptr<S2sNativeAdDelegate> delegate,
                                             VideoViewAsset::Services videoServices) {
    return std::shared_ptr<S2sNative>(new S2sNative(std::move(delegate), std::move(videoServices)));
}

void S2sNative::load(const NativePubContent& model) {
    assert(platform::MainLoop::shared().isMainThread());
    const auto [accepted, state] = stateMachine_.process(S2sNativeTransitionEvent::loadCalledEvent);
    if (!accepted) {
        Logger::error("Ad fail's due to Invalid StateMachine state " + std::string(caseName(state)));
        if (const auto adapter = delegate_.lock()) {
            adapter->nativeAdLoadFailed(AdError::invalidLoadRequest().toError());
        }
        return;
    }
    // Labels report inside buildAssetViews, possibly the whole outcome: the handlers below do
    // not read `nativeLoader_`, which is stored only afterwards.
    const std::shared_ptr<S2sNative> self = shared_from_this();
    const std::shared_ptr<NativeAdLoader> loader = NativeAdLoader::create();
    buildAssetViews(loader, model);
    nativeLoader_ = loader;
}

void S2sNative::buildAssetViews(const std::shared_ptr<NativeAdLoader>& loader, const NativePubContent& model) {
    loader->setDelegate(std::static_pointer_cast<NativeAdAssetLoadDelegate>(shared_from_this()));
    const auto label = [&](const char* name, const LabelAssetModel& value) {
        return LabelViewAsset::create({}, name, value, loader);
    };
    const auto image = [&](const char* name, const ImageAssetModel& value) {
        return ImageViewAsset::create({}, name, value, loader);
    };
    loader->title = label("title", model.title);
    loader->description = label("description", model.description);
    loader->sponsored = label("sponsored", model.sponsored);
    loader->media = MediaViewAsset::create(model.media, loader, videoServices_);
    if (model.rating) loader->rating = label("rating", *model.rating);
    if (model.cta) loader->cta = label("cta", *model.cta);
    if (model.icon) loader->icon = image("icon", *model.icon);
    if (model.adChoices) loader->adChoices = image(adChoicesAssetName, *model.adChoices);
    loader->loadAssets();
}

bool S2sNative::acceptOutcome(S2sNativeTransitionEvent event) {
    const auto [accepted, state] = stateMachine_.process(event);
    if (!accepted) {
        Logger::error("Invalid StateMachine state " + std::string(caseName(state)));
    }
    return accepted;
}

void S2sNative::nativeAdAssetLoadedSuccessfully(NativeAdLoader&) {
    if (!acceptOutcome(S2sNativeTransitionEvent::loadSuccessEvent)) return;
    if (const auto adapter = delegate_.lock()) {
        adapter->nativeAdLoaded();
    }
}

void S2sNative::nativeAdAssetLoadFailed(NativeAdLoader&, const platform::Error& error) {
    if (!acceptOutcome(S2sNativeTransitionEvent::loadFailureEvent)) return;
    if (const auto adapter = delegate_.lock()) {
        adapter->nativeAdLoadFailed(error);
    }
}

void S2sNative::startImpressionTracking() {
    if (impressionTimer_ && impressionTimer_->isImpressionFired()) {
        return;
    }
    if (!nativeLoader_ || !nativeLoader_->assetViewsInPlace()) {
        Logger::log("AdImpression failed due to mandatory assets are not added to the screen", 1);
        return;
    }
    const std::shared_ptr<platform::View> adView = publisherAdView_.lock();
    if (!adView) {
        return;
    }
    impressionTimer_ = AdImpressionTimer::create(
        impressionTime, ViewVisibilityTrackingMode::percentage(impressionVisibleShare),
        [weak = weak_from_this()](const std::shared_ptr<platform::View>&) {
            const auto self = weak.lock();
            const auto adapter = self ? self->delegate_.lock() : nullptr;
            if (adapter) adapter->nativeAdImpressionRecorded();
        });
    impressionTimer_->startTracking(adView);
}

std::shared_ptr<platform::View> S2sNative::mediaContentView() const {
    return nativeLoader_ && nativeLoader_->media ? nativeLoader_->media->mediaView() : nullptr;
}

}  // namespace solen
