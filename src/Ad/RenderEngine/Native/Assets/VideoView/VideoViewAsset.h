#pragma once

#include "Ad/RenderEngine/Native/AssetOnClick.h"
#include "Ad/RenderEngine/Native/Assets/ImageViewAsset.h"
#include "Ad/RenderEngine/Native/Assets/NativeAsset.h"
#include "Ad/RenderEngine/Native/Assets/VideoAssetEventDelegate.h"
#include "Ad/RenderEngine/Native/MediaAssetVideoContentModel.h"
#include "Ad/RenderEngine/Native/MediaPlayer/Player.h"
#include "Ad/RenderEngine/Vast/Model/VastAd.h"
#include "Ad/RenderEngine/Vast/Model/VastCompanionCreative.h"
#include "Ad/RenderEngine/Vast/Model/VastError.h"
#include "Ad/RenderEngine/Vast/Model/VastErrorCodes.h"
#include "Ad/RenderEngine/Vast/Parser/VastClient.h"
#include "Ad/RenderEngine/Vast/Parser/VastTracker.h"
#include "Platform/Dispatch/Clock.h"
#include "Platform/Media/MediaFactsSource.h"
#include "Platform/UI/GradientLayer.h"
#include "Platform/UI/ProgressView.h"
#include "Platform/UI/StackView.h"

#include <solen/ui/Error.h>
#include <solen/ui/View.h>

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace solen {

// The video of a native ad. It holds a VAST document as text; loading it parses the document
// through its VAST client, builds a VAST tracker for the result, picks the first ad with a linear
// creative, that creative's click target and media file, and builds a player for the file that
// fills the asset. The asset counts as loaded each time the player reports readiness; every
// failure on the way (and a player failure at any time) becomes a VAST error code: the asset
// turns failed, the tracker fires the ad's Error addresses where it can, and the load delegate
// hears `assetLoadFailed` with the code as the error (domain "Solen.VastErrorCodes", the code's
// number, "VastErrorCodes error N").
//
// While the video plays, the player's callbacks drive the tracker (start, impressions, progress,
// quartiles, mute, pause and resume, completion) and reach the video-event delegate as
// `VideoEvent` values. Pause and resume are tracked only while playback is under way, between the
// start and the completion, and a resume only after a tracked pause: the player pauses and
// resumes by itself while it attaches and becomes viewable, which is not the viewer's doing.
//
// A control bar over the bottom of the video (play/pause, progress, mute/unmute) toggles
// playback and sound on taps. When the played ad offers static-image companions, one suited to
// the screen width and the network is downloaded while the video plays; at completion it (or,
// when its picture failed, the video's thumbnail) replaces the playback views, and its taps go
// up to the interaction delegate with the companion's click target.
//
// The parse completion and the thumbnail completions hold the asset weakly; a released asset
// drops them. Main thread only. (The control bar is defined in VideoViewAssetControls.cpp, the
// companion and the end card in VideoViewAssetCompanion.cpp.)
class VideoViewAsset final : public platform::View,
                             public NativeAsset,
                             public NativeAssetLoadDelegate,
                             public NativeAssetInteractionDelegate,
                             public PlayerDelegate,
                             public PlayerPlaybackDelegate {
public:
    // The one object that serves as interaction, load and video-event delegate, held weakly.
    struct Delegate : NativeAsset::Delegate {
        Delegate() = default;
        Delegate(std::nullptr_t) {}
        template <class Object>
            requires std::derived_from<Object, VideoAssetEventDelegate>
        Delegate(const std::shared_ptr<Object>& object) : NativeAsset::Delegate(object), videoEvents(object) {}

        std::weak_ptr<VideoAssetEventDelegate> videoEvents;
    };

    // Where the asset's outside work goes; empty members mean the production defaults (wrapper
    // documents over HTTP, tracking through the SDK's tracker manager, the shared media facts).
    struct Services {
        std::shared_ptr<VastDocumentFetcher> fetcher;
        VastTracker::TrackingUrlSender sender;
        std::shared_ptr<platform::MediaFactsSource> mediaSource;
    };

    // State default; nothing is loaded.
    static std::shared_ptr<VideoViewAsset> create(std::string assetName, MediaAssetVideoContentModel model,
                                                  Delegate delegate, platform::Rect frame, Services services = {});
    ~VideoViewAsset() override;

    // The VAST error code a failed parse reports.
    static VastErrorCodes errorCode(VastError error);
    // The platform form of a code, as handed to the load delegate.
    static platform::Error toError(VastErrorCodes code);

    std::string assetName() const override { return assetName_; }
    bool isAssetReady() const override;
    bool isAssetInPlace() const override;
    // State loading, then the parse starts; the outcome reaches the load delegate on a later
    // turn of the main loop. A new load drops the playback views of the previous one and the
    // result of a parse still running.
    void loadAsset() override;

    const MediaAssetVideoContentModel& model() const { return model_; }
    const VastClient& vastClient() const { return vastClient_; }
    const std::shared_ptr<VastTracker>& vastTracker() const { return vastTracker_; }
    const std::optional<VastAd>& vastAd() const { return vastAd_; }
    const std::shared_ptr<Player>& videoPlayer() const { return videoPlayer_; }
    const std::optional<AssetOnClick>& videoAssetOnClick() const { return videoAssetOnClick_; }
    const std::shared_ptr<ImageViewAsset>& videoThumbnailImageView() const { return videoThumbnailImageView_; }
    const std::shared_ptr<ImageViewAsset>& videoMuteControlImageView() const { return videoMuteControlImageView_; }
    const std::shared_ptr<ImageViewAsset>& videoPlayControlImageView() const { return videoPlayControlImageView_; }
    const std::shared_ptr<platform::ProgressView>& videoProgressBar() const { return videoProgressBar_; }
    const std::shared_ptr<ImageViewAsset>& companionImageView() const { return companionImageView_; }
    const std::shared_ptr<platform::StackView>& videoControlStackView() const { return videoControlStackView_; }
    std::shared_ptr<VideoAssetEventDelegate> videoAssetEventDelegate() const { return videoAssetEventDelegate_.lock(); }
    platform::Clock::TimePoint loadTimerStamp() const { return loadTimerStamp_; }

    // Steps of the load, in the order they run after the parse.
    void handleVastResult(std::optional<VastModel> model, std::optional<VastError> error);
    // The media file of the first ad with a linear creative; nothing after reporting the failure.
    std::optional<platform::URL> prepareMediaFileURL();
    void setupVideoClicks(const VastLinearCreative& linear);
    void setupPlayer(const platform::URL& url);
    void addPlayerView();
    // The control bar: built anew (a bar held before is dropped); with a player, styled, put over
    // the player's bottom and filled with the play/pause button, the progress bar and the
    // mute/unmute button.
    void setupControls();
    void setupPlayControl();
    void setupProgressBar();
    void setupMuteControl();
    // The buttons' images from the player's state ("sol_Pause" while playing, "sol_Mute" while
    // muted); nothing without a player.
    void updatePlayControlImage();
    void updateMuteControlImage();
    // Play/pause by the player's state: a stopped video starts again from zero, a playing one is
    // paused by the user, a paused one resumes; a failed one is only paused.
    void togglePlayback();
    // Takes the player view and the controls off the asset and stops the player.
    void removePlaybackViews();

    // The companion of the played ad: chosen for the screen and the network, built as the image
    // asset "companion" and downloaded at once, off screen. An ad without companions gets none
    // and reports nothing; where companions exist but none can be used (none chosen, no image
    // address, no click-through) code 600 is tracked and no companion is kept.
    void setupCompanionImageView();
    // Among the companions with a static resource of type "image/png" (a case-sensitive part of
    // the type; others are skipped): on Wi-Fi the narrowest at least as wide as the main screen,
    // else the widest; on other networks the widest no wider than the screen, else the narrowest.
    // Of equal widths the later in the document wins.
    static std::optional<VastCompanionCreative> companionForWiFi(const std::vector<VastCompanionCreative>& companions);
    static std::optional<VastCompanionCreative> companionForOtherNetworks(
        const std::vector<VastCompanionCreative>& companions);
    // The end card, at completion: the companion unless its picture failed, else a thumbnail,
    // fills the asset in place of the playback views; with neither the video stays.
    void showCompanionImageView();
    // State failed, the code tracked (when there is a tracker), the load delegate told.
    void trackError(VastErrorCodes code);
    // A thumbnail image from the player replaces the previous thumbnail view.
    void thumbnailReceived(std::optional<platform::Image> image);

    // Images of the asset (controls, thumbnail, companion) report here; only logged.
    void assetLoadedSuccessfully(const std::shared_ptr<NativeAsset>& asset) override;
    void assetLoadFailed(const std::shared_ptr<NativeAsset>& asset, const platform::Error& error) override;
    void assetTapped(const std::shared_ptr<NativeAsset>& asset, const std::optional<AssetOnClick>& onClick) override;

    void playerReady(Player& player) override;
    void playerPlaybackStateDidChange(Player& player) override;
    void playerBufferingStateDidChange(Player& player) override;
    void playerBufferedTimeDidChange(Player& player, double bufferedTime) override;
    void player(Player& player, const std::optional<platform::Error>& error) override;
    void playerDidReceiveTap(Player& player) override;

    void playerPlaybackTimeDidChange(Player& player) override;
    void playerPlaybackDidStarted(Player& player) override;
    void playerPlayBackDidFinishFirstQuartile(Player& player) override;
    void playerPlayBackDidFinishSecondQuartile(Player& player) override;
    void playerPlayBackDidFinishThiredQuartile(Player& player) override;
    void playerPlayBackDidCompleted(Player& player) override;
    void playerPlaybackWillLoop(Player& player) override;
    void playerPlaybackDidLoop(Player& player) override;
    void playerPlayBackSoundChanges(Player& player, bool mute) override;

    void willMoveToSuperview(const std::shared_ptr<platform::View>& newSuperview) override;
    void layoutSubviews() override;
    // Each pass re-applies the control bar's gradient to the bar's current bounds.
    void layoutSublayersOfLayer(platform::Layer& layer) override;

private:
    VideoViewAsset(std::string assetName, MediaAssetVideoContentModel model, platform::Rect frame,
                   Services services);
    std::shared_ptr<VideoViewAsset> strongSelf();
    void sendEvent(VideoEvent event) const;
    // (now - loadTimerStamp) in milliseconds.
    double latency() const;
    void applyRate(Player& player) const;
    // Whether the route to the internet is Wi-Fi; an unreadable route is not.
    static bool onWiFi();
    // Hands the view a delegate and an enabled recogniser; places it when the bar exists and it
    // is not placed yet, which it reports.
    bool setupControlButton(ImageViewAsset& button);
    // One gradient layer per bar, made on the first call and resized to the bar on later ones.
    void applyControlGradient();
    // Adds the view and pins its edges and centre to the asset's.
    void fillWith(const std::shared_ptr<platform::View>& view);
    void reportCompanionError();

    std::string assetName_;
    std::weak_ptr<VideoAssetEventDelegate> videoAssetEventDelegate_;
    platform::Clock::TimePoint loadTimerStamp_;
    MediaAssetVideoContentModel model_;
    Services services_;
    VastClient vastClient_;
    std::shared_ptr<VastTracker> vastTracker_;
    std::optional<VastAd> vastAd_;
    std::shared_ptr<Player> videoPlayer_;
    std::optional<AssetOnClick> videoAssetOnClick_;
    std::shared_ptr<ImageViewAsset> videoThumbnailImageView_;
    std::shared_ptr<ImageViewAsset> videoMuteControlImageView_;
    std::shared_ptr<ImageViewAsset> videoPlayControlImageView_;
    std::shared_ptr<platform::ProgressView> videoProgressBar_;
    std::shared_ptr<ImageViewAsset> companionImageView_;
    std::shared_ptr<platform::StackView> videoControlStackView_;
    std::shared_ptr<platform::GradientLayer> controlGradient_;
    // Numbers the loads, so that the result of a superseded parse is dropped.
    std::uint64_t loadCount_ = 0;
    // Playback under way: started and not yet completed. A pause is tracked only then, and a
    // resume only after a tracked pause.
    bool playbackUnderWay_ = false;
    bool pauseTracked_ = false;
};

}  // namespace solen
