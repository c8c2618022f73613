#include "Ad/RenderEngine/Native/Assets/ImageViewAsset.h"

#include "Commons/Network/MediaDownloader.h"
#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Foundation/ResourceBundle.h"
#include "Platform/Foundation/URL.h"

#include <cassert>

namespace solen {

std::shared_ptr<ImageViewAsset> ImageViewAsset::create(platform::Rect frame, std::string assetName,
                                                       ImageAssetModel model, Delegate delegate) {
    std::shared_ptr<ImageViewAsset> asset(new ImageViewAsset(frame, std::move(assetName), std::move(model)));
    asset->setUserInteractionEnabled(true);
    asset->setDelegate(delegate);
    return asset;
}

std::shared_ptr<ImageViewAsset> ImageViewAsset::create(std::string assetName, std::string_view imageName,
                                                       platform::Rect frame, Delegate delegate) {
    std::shared_ptr<ImageViewAsset> asset(new ImageViewAsset(frame, std::move(assetName), std::nullopt));
    asset->setAssetState(NativeAssetState::loading);
    asset->setUserInteractionEnabled(true);
    asset->setDelegate(delegate);
    asset->loadImage(imageName);
    return asset;
}

ImageViewAsset::ImageViewAsset(platform::Rect frame, std::string assetName, std::optional<ImageAssetModel> model)
    : NativeAssetView(frame, std::move(assetName)), model_(std::move(model)) {}

void ImageViewAsset::loadAsset() {
    setAssetState(NativeAssetState::loading);
    loadFromUrl();
}

void ImageViewAsset::loadFromUrl() {
    assert(platform::MainLoop::shared().isMainThread());
    const std::uint64_t load = ++loadCount_;
    const std::optional<platform::URL> url = model_ ? platform::URL::parse(model_->url) : std::nullopt;
    if (!url) {
        reportFailed(AssetError::invalidAssetUrl(assetName()));
        return;
    }
    std::weak_ptr<ImageViewAsset> weakSelf = std::static_pointer_cast<ImageViewAsset>(selfPointer());
    MediaDownloader::downloadImage(*url, [weakSelf, load](bool success, std::optional<platform::Image> image) {
        // This runs on the session's queue. Only check that the view still exists: locking it here
        // could make this thread the last owner, and a view must die on the main thread.
        if (weakSelf.expired()) {
            return;
        }
        platform::performOnMainQueue([weakSelf, load, success, image = std::move(image)]() mutable {
            if (const std::shared_ptr<ImageViewAsset> self = weakSelf.lock()) {
                self->finishDownload(load, success, std::move(image));
            }
        });
    });
}

void ImageViewAsset::finishDownload(std::uint64_t load, bool success, std::optional<platform::Image> image) {
    if (load != loadCount_) {
        return;
    }
    if (!success || !image) {
        reportFailed(AssetError::failToDownloadImage(assetName()));
        return;
    }
    setImage(std::move(image));
    reportLoaded();
}

void ImageViewAsset::loadImage(std::string_view name) {
    assert(platform::MainLoop::shared().isMainThread());
    ++loadCount_;
    std::optional<platform::Image> image = platform::ResourceBundle::image(name);
    if (!image) {
        reportFailed(AssetError::invalidAssetUrl(assetName()));
        return;
    }
    setImage(std::move(image));
    reportLoaded();
}

void ImageViewAsset::setImage(std::optional<platform::Image> image) {
    ImageView::setImage(std::move(image));
    setNeedsLayout();
}

void ImageViewAsset::layoutSubviews() {
    ImageView::layoutSubviews();
    // A picture's size in points is its pixel size (downloaded and resource images have scale 1).
    const std::optional<platform::Image>& picture = image();
    const platform::Size size = bounds().size;
    const bool fitsInside = picture && size.width > static_cast<double>(picture->pixelWidth()) &&
                            size.height > static_cast<double>(picture->pixelHeight());
    setContentMode(fitsInside ? ContentMode::center : ContentMode::scaleAspectFit);
}

}  // namespace solen
