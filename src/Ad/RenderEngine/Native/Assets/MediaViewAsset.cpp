#include "Ad/RenderEngine/Native/Assets/MediaViewAsset.h"

namespace solen {

std::shared_ptr<MediaViewAsset> MediaViewAsset::create(MediaAssetModel model, VideoViewAsset::Delegate delegate,
                                                       VideoViewAsset::Services videoServices) {
    std::shared_ptr<MediaViewAsset> asset(new MediaViewAsset(std::move(model)));
    asset->setDelegate(delegate);
    asset->videoAssetEventDelegate_ = delegate.videoEvents;
    asset->createMediaAsset(videoServices);
    return asset;
}

void MediaViewAsset::createMediaAsset(const VideoViewAsset::Services& videoServices) {
    const std::shared_ptr<MediaViewAsset> self = shared_from_this();
    if (const ImageAssetModel* image = model_.content.imageAssetModel()) {
        auto view = ImageViewAsset::create({}, imageAssetName, *image, self);
        mediaAsset_ = view;
        mediaView_ = std::move(view);
    } else if (const MediaAssetVideoContentModel* video = model_.content.videoAssetModel()) {
        auto view = VideoViewAsset::create(videoAssetName, *video, self, {}, videoServices);
        mediaAsset_ = view;
        mediaView_ = std::move(view);
    }
}

std::string MediaViewAsset::assetName() const { return mediaAsset_ ? mediaAsset_->assetName() : "MediaAsset"; }

bool MediaViewAsset::isAssetReady() const { return mediaAsset_ && mediaAsset_->isAssetReady(); }

bool MediaViewAsset::isAssetInPlace() const { return mediaAsset_ && mediaAsset_->isAssetInPlace(); }

void MediaViewAsset::loadAsset() {
    if (mediaAsset_) {
        mediaAsset_->loadAsset();
    }
}

NativeAssetState MediaViewAsset::assetState() const {
    return mediaAsset_ ? mediaAsset_->assetState() : NativeAssetState::default_;
}

void MediaViewAsset::setAssetState(NativeAssetState state) {
    if (mediaAsset_) {
        mediaAsset_->setAssetState(state);
    }
}

void MediaViewAsset::assetLoadedSuccessfully(const std::shared_ptr<NativeAsset>& asset) {
    if (const auto delegate = assetLoadDelegate()) {
        delegate->assetLoadedSuccessfully(asset);
    }
}

void MediaViewAsset::assetLoadFailed(const std::shared_ptr<NativeAsset>& asset, const platform::Error& error) {
    if (const auto delegate = assetLoadDelegate()) {
        delegate->assetLoadFailed(asset, error);
    }
}

void MediaViewAsset::assetTapped(const std::shared_ptr<NativeAsset>& asset, const std::optional<AssetOnClick>& onClick) {
    if (const auto delegate = assetViewdelegate()) {
        delegate->assetTapped(asset, onClick);
    }
}

void MediaViewAsset::videoAssetEventOccurred(VideoEvent event) {
    if (const auto delegate = videoAssetEventDelegate()) {
        delegate->videoAssetEventOccurred(event);
    }
}

}  // namespace solen
