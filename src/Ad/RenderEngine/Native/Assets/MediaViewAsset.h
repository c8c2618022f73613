#pragma once

#include "Ad/RenderEngine/Native/Assets/ImageViewAsset.h"
#include "Ad/RenderEngine/Native/Assets/NativeAsset.h"
#include "Ad/RenderEngine/Native/Assets/VideoAssetEventDelegate.h"
#include "Ad/RenderEngine/Native/Assets/VideoView/VideoViewAsset.h"
#include "Ad/RenderEngine/Native/MediaAssetModel.h"

#include <solen/ui/Error.h>
#include <solen/ui/View.h>

#include <memory>
#include <optional>
#include <string>

namespace solen {

// The media slot of a native ad. It is not a view: at creation it builds the view of its media,
// an image asset "Media-Image" or a video asset "Media-Video" chosen by the content alone (a
// video-typed media whose content is an image shows an image), and from then on answers the
// asset questions for that inner view and passes its load outcome, taps and video events up
// unchanged, with the inner view as the reporting asset. The inner view is placed by whoever
// shows the ad (mediaView()) and loads when loadAsset() is called. Delegates are held weakly; once
// they are gone the inner view's reports end here. Main thread only.
class MediaViewAsset final : public NativeAsset,
                             public NativeAssetLoadDelegate,
                             public NativeAssetInteractionDelegate,
                             public VideoAssetEventDelegate,
                             public std::enable_shared_from_this<MediaViewAsset> {
public:
    static constexpr const char* imageAssetName = "Media-Image";
    static constexpr const char* videoAssetName = "Media-Video";

    // `delegate` becomes the interaction, load and video-event delegate. `videoServices` are
    // handed to a video inner view (empty members: production defaults).
    static std::shared_ptr<MediaViewAsset> create(MediaAssetModel model, VideoViewAsset::Delegate delegate,
                                                  VideoViewAsset::Services videoServices = {});

    const MediaAssetModel& model() const { return model_; }
    // The inner asset and the same object as a view; none only if creation could build nothing.
    const std::shared_ptr<NativeAsset>& mediaAsset() const { return mediaAsset_; }
    const std::shared_ptr<platform::View>& mediaView() const { return mediaView_; }
    std::shared_ptr<VideoAssetEventDelegate> videoAssetEventDelegate() const { return videoAssetEventDelegate_.lock(); }

    // The inner view's name ("MediaAsset" without one), readiness and placement (false without
    // one); loadAsset() starts the inner view's load.
    std::string assetName() const override;
    bool isAssetReady() const override;
    bool isAssetInPlace() const override;
    void loadAsset() override;
    // The inner view's state (default without one): the slot keeps none of its own.
    NativeAssetState assetState() const override;
    void setAssetState(NativeAssetState state) override;

    void assetLoadedSuccessfully(const std::shared_ptr<NativeAsset>& asset) override;
    void assetLoadFailed(const std::shared_ptr<NativeAsset>& asset, const platform::Error& error) override;
    void assetTapped(const std::shared_ptr<NativeAsset>& asset, const std::optional<AssetOnClick>& onClick) override;
    void videoAssetEventOccurred(VideoEvent event) override;

private:
    explicit MediaViewAsset(MediaAssetModel model) : model_(std::move(model)) {}
    // Builds the inner view for the content, replacing any earlier one.
    void createMediaAsset(const VideoViewAsset::Services& videoServices);

    std::weak_ptr<VideoAssetEventDelegate> videoAssetEventDelegate_;
    MediaAssetModel model_;
    std::shared_ptr<NativeAsset> mediaAsset_;
    std::shared_ptr<platform::View> mediaView_;
};

}  // namespace solen
