#pragma once

#include "Ad/RenderEngine/Native/Assets/NativeAssetView.h"
#include "Ad/RenderEngine/Native/ImageAssetModel.h"

#include <solen/ui/ImageView.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace solen {

// The image asset of a native ad. Either a creative image described by an ImageAssetModel (icon,
// ad-choices badge, image media, video thumbnail, companion), downloaded anew from the model's
// address at each load, or a control image of the SDK's own resources loaded by name at
// creation. Once its picture is in place the view is tappable and a tap hands the model's click
// action to the interaction delegate. A picture smaller than the bounds in both directions is
// shown centred at its own size, any other is scaled down to fit. Main thread only; a download
// leaves it and its outcome comes back on a later turn of the main loop.
class ImageViewAsset final : public NativeAssetView<platform::ImageView> {
public:
    // A creative image. Starts in state default with user interaction on; starts no load.
    // `delegate` serves as both the interaction and the load delegate and is held weakly.
    static std::shared_ptr<ImageViewAsset> create(platform::Rect frame, std::string assetName, ImageAssetModel model,
                                                  Delegate delegate);
    // A resource image: loads `imageName` from the SDK's resources at once, so the outcome is
    // reported before this returns (an unknown name fails with invalidAssetUrl).
    static std::shared_ptr<ImageViewAsset> create(std::string assetName, std::string_view imageName,
                                                  platform::Rect frame, Delegate delegate);

    // Absent for a resource image.
    const std::optional<ImageAssetModel>& model() const { return model_; }

    // Sets the state to loading and downloads the model's picture (see loadFromUrl).
    void loadAsset() override;
    // The URL load. No model, or an address that does not parse, fails with invalidAssetUrl
    // before this returns. Otherwise the picture is downloaded; on a later turn of the main loop
    // it is shown (state loaded, taps on) or, for a transport failure, a status other than 200,
    // an empty body or one that is not an image, the load fails with failToDownloadImage. A view
    // released in the meantime reports nothing. A newer load or loadImage supersedes a download
    // still on its way: its outcome is dropped.
    void loadFromUrl();
    // Shows the resource image `name` (state loaded, taps on), or fails with invalidAssetUrl
    // when the resources hold no such image. Synchronous.
    void loadImage(std::string_view name);

    // Sets the image, then asks for layout so that the content mode follows the new size.
    void setImage(std::optional<platform::Image> image);

    void layoutSubviews() override;

private:
    ImageViewAsset(platform::Rect frame, std::string assetName, std::optional<ImageAssetModel> model);

    bool isRequired() const override { return model_ && model_->required; }
    std::optional<AssetOnClick> clickAction() const override {
        return model_ ? model_->onClick : std::optional<AssetOnClick>();
    }
    void finishDownload(std::uint64_t load, bool success, std::optional<platform::Image> image);

    std::optional<ImageAssetModel> model_;
    // Counts loads, so that the outcome of a superseded download is recognised and dropped.
    std::uint64_t loadCount_ = 0;
};

}  // namespace solen
