#include "Ad/RenderEngine/Native/Assets/VideoView/VideoViewAsset.h"

#include "Commons/Utilities/Logger.h"
#include "Commons/Utilities/Reachability.h"
#include "Platform/Device/NetworkReachability.h"
#include "Platform/Dispatch/MainLoop.h"
#include "Platform/UI/LayoutConstraint.h"
#include "Platform/UI/Screen.h"

#include <cassert>
#include <chrono>
#include <limits>
#include <sstream>
#include <utility>

namespace solen {
namespace {

// The client's limits for a native video: three wrapper levels, ten seconds overall.
VastClientOptions clientOptions() {
    VastClientOptions options;
    options.wrapperLimit = 3;
    options.singleWrapperTimeLimit = 5.0;
    options.timeLimit = 10.0;
    return options;
}

std::string number(double value) {
    std::ostringstream text;
    text << value;
    return text.str();
}

std::string describe(const std::optional<platform::Error>& error) {
    if (!error) {
        return "nil";
    }
    return error->domain + " " + std::to_string(error->code) + " " + error->localizedDescription;
}

}  // namespace

bool VideoViewAsset::onWiFi() {
    const std::optional<platform::NetworkReachability::Flags> flags = platform::NetworkReachability::internetFlags();
    return flags && Reachability::currentConnectionType(*flags) == 1;
}

std::shared_ptr<VideoViewAsset> VideoViewAsset::create(std::string assetName, MediaAssetVideoContentModel model,
                                                       Delegate delegate, platform::Rect frame, Services services) {
    std::shared_ptr<VideoViewAsset> asset(
        new VideoViewAsset(std::move(assetName), std::move(model), frame, std::move(services)));
    asset->setDelegate(delegate);
    asset->videoAssetEventDelegate_ = delegate.videoEvents;
    return asset;
}

VideoViewAsset::VideoViewAsset(std::string assetName, MediaAssetVideoContentModel model, platform::Rect frame,
                               Services services)
    : View(frame),
      assetName_(std::move(assetName)),
      loadTimerStamp_(platform::Clock::shared()->now()),
      model_(std::move(model)),
      services_(std::move(services)),
      vastClient_(clientOptions(), services_.fetcher, services_.sender),
      videoMuteControlImageView_(ImageViewAsset::create("mute", "sol_Mute", {}, nullptr)),
      videoPlayControlImageView_(ImageViewAsset::create("play", "sol_Play", {}, nullptr)),
      videoProgressBar_(platform::ProgressView::create(platform::ProgressView::Style::bar)) {}

VideoViewAsset::~VideoViewAsset() = default;

std::shared_ptr<VideoViewAsset> VideoViewAsset::strongSelf() {
    return std::static_pointer_cast<VideoViewAsset>(weak_from_this().lock());
}

VastErrorCodes VideoViewAsset::errorCode(VastError error) {
    switch (error) {
        case VastError::invalidXMLDocument:
        case VastError::unableToParseDocument:
        case VastError::internalError: return VastErrorCodes::xmlParsingError;
        case VastError::invalidVASTDocument:
        case VastError::unableToCreateXMLParser: return VastErrorCodes::vastSchemaValidationError;
        case VastError::wrapperLimitReached: return VastErrorCodes::wrapperLimitReached;
        case VastError::singleRequestTimeLimitReached:
        case VastError::wrapperTimeLimitReached: return VastErrorCodes::timeoutOfVastURI;
    }
    return VastErrorCodes::xmlParsingError;
}

platform::Error VideoViewAsset::toError(VastErrorCodes code) {
    platform::Error error;
    error.domain = std::string(vastErrorCodesDomain());
    error.code = vastErrorCodeValue(code);
    error.localizedDescription = vastErrorCodesDescription(code);
    return error;
}

bool VideoViewAsset::isAssetReady() const { return assetState() == NativeAssetState::loaded || !model_.required; }

bool VideoViewAsset::isAssetInPlace() const { return !model_.required || superview() != nullptr; }

void VideoViewAsset::loadAsset() {
    assert(platform::MainLoop::shared().isMainThread());
    setAssetState(NativeAssetState::loading);
    const std::uint64_t load = ++loadCount_;
    // The views of an earlier load go first: its player would otherwise keep playing beside the
    // new one and drive the new tracker.
    removePlaybackViews();
    if (companionImageView_) {
        companionImageView_->removeFromSuperview();
    }
    videoPlayer_.reset();
    videoControlStackView_.reset();
    controlGradient_.reset();
    companionImageView_.reset();
    playbackUnderWay_ = false;
    pauseTracked_ = false;
    std::weak_ptr<VideoViewAsset> weakSelf = strongSelf();
    vastClient_.parse(model_.vastXml, [weakSelf, load](std::optional<VastModel> model, std::optional<VastError> error) {
        const std::shared_ptr<VideoViewAsset> self = weakSelf.lock();
        if (!self || load != self->loadCount_) {
            return;
        }
        self->handleVastResult(std::move(model), error);
    });
}

void VideoViewAsset::handleVastResult(std::optional<VastModel> model, std::optional<VastError> error) {
    if (error) {
        trackError(errorCode(*error));
        return;
    }
    if (!model) {
        trackError(VastErrorCodes::xmlParsingError);
        return;
    }
    vastTracker_ = VastTracker::create(std::move(*model), {}, 0.0, true, services_.sender);
    const std::optional<platform::URL> url = prepareMediaFileURL();
    if (!url) {
        return;
    }
    setupPlayer(*url);
    setupControls();
    setupCompanionImageView();
}

std::optional<platform::URL> VideoViewAsset::prepareMediaFileURL() {
    if (!vastTracker_) {
        trackError(VastErrorCodes::xmlParsingError);
        return std::nullopt;
    }
    const VastAd* chosen = nullptr;
    const VastLinearCreative* linear = nullptr;
    for (const VastAd& ad : vastTracker_->vastModel().ads) {
        for (const VastCreative& creative : ad.creatives) {
            if (creative.linear) {
                chosen = &ad;
                linear = &*creative.linear;
                break;
            }
        }
        if (chosen) {
            break;
        }
    }
    if (!chosen) {
        trackError(VastErrorCodes::traffickingError);
        return std::nullopt;
    }
    vastAd_ = *chosen;
    // A creative without a duration cannot be tracked; playback goes on without it.
    (void)vastTracker_->start(chosen->id);
    setupVideoClicks(*linear);
    std::optional<platform::URL> url =
        linear->selectMediaFileURL(onWiFi(), platform::Screen::main().bounds().size.width);
    if (!url) {
        trackError(VastErrorCodes::fileNotFound);
    }
    return url;
}

void VideoViewAsset::setupVideoClicks(const VastLinearCreative& linear) {
    std::optional<std::string> clickThrough;
    std::vector<std::string> clickTrackers;
    for (const VastVideoClick& click : linear.videoClicks) {
        if (!click.url) {
            continue;
        }
        if (click.type == ClickType::clickThrough) {
            clickThrough = click.url->absoluteString();
        } else if (click.type == ClickType::clickTracking) {
            clickTrackers.push_back(click.url->absoluteString());
        }
    }
    if (clickThrough) {
        videoAssetOnClick_ = AssetOnClick{*clickThrough, OpenModeType::inAppBrowser, std::move(clickTrackers)};
    }
}

void VideoViewAsset::applyRate(Player& player) const {
    const float rate = model_.videoPlayerControls.autoPlay ? 1.0f : 0.0f;
    player.setRate(rate);
    player.avplayer()->setRate(rate);
}

void VideoViewAsset::setupPlayer(const platform::URL& url) {
    const std::shared_ptr<VideoViewAsset> self = strongSelf();
    videoPlayer_ = Player::create({}, services_.mediaSource);
    Player& player = *videoPlayer_;
    player.setPlayerDelegate(self);
    player.setPlaybackDelegate(self);
    applyRate(player);
    player.avplayer()->setActionAtItemEnd(platform::MediaPlayer::ActionAtItemEnd::pause);
    player.avplayer()->setMuted(model_.videoPlayerControls.mute);
    if (player.playbackDelegate()) {
        playerPlayBackSoundChanges(player, model_.videoPlayerControls.mute);
    }
    player.setAutoplay(model_.videoPlayerControls.autoPlay);
    applyRate(player);
    player.setUrl(url);
    addPlayerView();
}

void VideoViewAsset::addPlayerView() {
    if (!videoPlayer_ || videoPlayer_->superview()) {
        return;
    }
    fillWith(videoPlayer_);
}

void VideoViewAsset::fillWith(const std::shared_ptr<platform::View>& view) {
    const std::shared_ptr<platform::View> self = strongSelf();
    addSubview(view);
    using platform::LayoutAttribute;
    platform::LayoutConstraint::setTranslatesAutoresizingMaskIntoConstraints(*view, false);
    std::vector<std::shared_ptr<platform::LayoutConstraint>> constraints;
    for (LayoutAttribute attribute : {LayoutAttribute::top, LayoutAttribute::left, LayoutAttribute::right,
                                      LayoutAttribute::bottom, LayoutAttribute::centerX, LayoutAttribute::centerY}) {
        constraints.push_back(platform::anchor(view, attribute).constraintEqualTo(platform::anchor(self, attribute)));
    }
    platform::LayoutConstraint::activate(constraints);
    view->setCenter(center());
    setNeedsLayout();
}


void VideoViewAsset::trackError(VastErrorCodes code) {
    const std::shared_ptr<VideoViewAsset> self = strongSelf();
    setAssetState(NativeAssetState::failed);
    if (vastTracker_) {
        (void)vastTracker_->trackError(code);
    }
    if (const auto delegate = assetLoadDelegate()) {
        delegate->assetLoadFailed(self, toError(code));
    }
}

void VideoViewAsset::thumbnailReceived(std::optional<platform::Image> image) {
    if (!image) {
        return;
    }
    auto thumbnail = ImageViewAsset::create({}, "videoThumbnail", ImageAssetModel{false, "NoURL", videoAssetOnClick_},
                                            nullptr);
    thumbnail->setImage(std::move(image));
    thumbnail->setAssetState(NativeAssetState::loaded);
    thumbnail->clickGestureRecognizer().setEnabled(true);
    videoThumbnailImageView_ = std::move(thumbnail);
}

void VideoViewAsset::assetLoadedSuccessfully(const std::shared_ptr<NativeAsset>& asset) {
    Logger::debug("assetLoadedSuccessfully(_:), " + asset->assetName());
}

void VideoViewAsset::assetLoadFailed(const std::shared_ptr<NativeAsset>& asset, const platform::Error&) {
    Logger::debug("assetLoadFailed(_:error:), " + asset->assetName());
}

double VideoViewAsset::latency() const {
    const auto elapsed = platform::Clock::shared()->now() - loadTimerStamp_;
    return std::chrono::duration<double, std::milli>(elapsed).count();
}

void VideoViewAsset::sendEvent(VideoEvent event) const {
    if (const auto delegate = videoAssetEventDelegate()) {
        delegate->videoAssetEventOccurred(event);
    }
}

void VideoViewAsset::playerReady(Player& player) {
    const std::shared_ptr<VideoViewAsset> self = strongSelf();
    Logger::debug("playerReady(_:) bufferSizeInSeconds=" + number(player.bufferSizeInSeconds()) +
                  " latency=" + number(latency()));
    setHidden(false);
    setAssetState(NativeAssetState::loaded);
    if (videoPlayer_) {
        videoPlayer_->clickGestureRecognizer().setEnabled(true);
    }
    if (const auto delegate = assetLoadDelegate()) {
        delegate->assetLoadedSuccessfully(self);
    }
}

void VideoViewAsset::playerPlaybackStateDidChange(Player& player) {
    Logger::debug("playerPlaybackStateDidChange(_:) " + std::string(Player::description(player.playbackState())));
    switch (player.playbackState()) {
        case Player::PlaybackState::stopped:
        case Player::PlaybackState::paused:
            if (vastTracker_ && playbackUnderWay_ && !pauseTracked_) {
                vastTracker_->trackPause();
                pauseTracked_ = true;
            }
            sendEvent(VideoEvent::pause);
            break;
        case Player::PlaybackState::playing:
            if (vastTracker_ && playbackUnderWay_ && pauseTracked_) {
                vastTracker_->trackResume();
            }
            pauseTracked_ = false;
            break;
        case Player::PlaybackState::failed: break;
    }
    updatePlayControlImage();
}

void VideoViewAsset::playerBufferingStateDidChange(Player& player) {
    Logger::debug("playerBufferingStateDidChange(_:) bufferSizeInSeconds=" + number(player.bufferSizeInSeconds()) +
                  " latency=" + number(latency()));
}

void VideoViewAsset::playerBufferedTimeDidChange(Player&, double) {}

void VideoViewAsset::player(Player&, const std::optional<platform::Error>& error) {
    trackError(VastErrorCodes::timeoutOfMediaFile);
    Logger::debug("player(_:didFailWithError:) error=" + describe(error) + " latency=" + number(latency()));
}

void VideoViewAsset::playerDidReceiveTap(Player&) {
    const std::shared_ptr<VideoViewAsset> self = strongSelf();
    if (const auto delegate = assetViewdelegate()) {
        delegate->assetTapped(self, videoAssetOnClick_);
    }
}

void VideoViewAsset::playerPlaybackTimeDidChange(Player& player) {
    const std::shared_ptr<platform::MediaPlayer>& media = player.avplayer();
    const std::shared_ptr<platform::PlayerItem>& item = media->currentItem();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double current = item ? item->currentTime().seconds() : nan;
    const double duration = item ? item->duration().seconds() : nan;
    videoProgressBar_->setProgress(static_cast<float>(current / duration), true);
    if (vastTracker_) {
        (void)vastTracker_->updateProgress(current);
    }
}

void VideoViewAsset::playerPlaybackDidStarted(Player& player) {
    if (vastTracker_) {
        (void)vastTracker_->trackStart();
    }
    playbackUnderWay_ = true;
    pauseTracked_ = false;
    std::weak_ptr<VideoViewAsset> weakSelf = strongSelf();
    player.generateThumbnail([weakSelf](std::optional<platform::Image> image, std::optional<platform::Error>) {
        if (const std::shared_ptr<VideoViewAsset> self = weakSelf.lock()) {
            self->thumbnailReceived(std::move(image));
        }
    });
    Logger::debug("playerPlaybackDidStarted(_:)");
    sendEvent(VideoEvent::start);
}

void VideoViewAsset::playerPlayBackDidFinishFirstQuartile(Player&) {
    Logger::debug("playerPlayBackDidFinishFirstQuartile(_:)");
    sendEvent(VideoEvent::firstQuartile);
}

void VideoViewAsset::playerPlayBackDidFinishSecondQuartile(Player&) {
    Logger::debug("playerPlayBackDidFinishSecondQuartile(_:)");
    sendEvent(VideoEvent::midpoint);
}

void VideoViewAsset::playerPlayBackDidFinishThiredQuartile(Player&) {
    Logger::debug("playerPlayBackDidFinishThiredQuartile(_:)");
    sendEvent(VideoEvent::thirdQuartile);
}

void VideoViewAsset::playerPlayBackDidCompleted(Player&) {
    Logger::debug("playerPlayBackDidCompleted(_:)");
    if (vastTracker_) {
        (void)vastTracker_->trackComplete();
    }
    playbackUnderWay_ = false;
    sendEvent(VideoEvent::complete);
    showCompanionImageView();
}

void VideoViewAsset::playerPlaybackWillLoop(Player&) { Logger::debug("playerPlaybackWillLoop(_:)"); }

void VideoViewAsset::playerPlaybackDidLoop(Player&) { Logger::debug("playerPlaybackDidLoop(_:)"); }

void VideoViewAsset::playerPlayBackSoundChanges(Player&, bool mute) {
    Logger::debug(std::string("playerPlayBackSoundChanges(_:mute:) mute = ") + (mute ? "true" : "false"));
    if (vastTracker_) {
        (void)vastTracker_->trackMute(mute);
    }
    sendEvent(mute ? VideoEvent::mute : VideoEvent::unmute);
}

void VideoViewAsset::willMoveToSuperview(const std::shared_ptr<platform::View>& newSuperview) {
    if (newSuperview) {
        setBackgroundColor(platform::Color::clear());
        loadTimerStamp_ = platform::Clock::shared()->now();
    }
    View::willMoveToSuperview(newSuperview);
}

void VideoViewAsset::layoutSubviews() {
    View::layoutSubviews();
    platform::LayoutConstraint::applyConstraints(*this);
}

}  // namespace solen
