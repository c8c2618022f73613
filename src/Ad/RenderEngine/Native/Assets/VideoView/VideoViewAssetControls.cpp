// The video asset's control bar (play/pause, progress, mute/unmute), the taps on its image views
// and the removal of the playback views for the end card.

#include "Ad/RenderEngine/Native/Assets/VideoView/VideoViewAsset.h"

#include "Commons/Utilities/Utilities.h"
#include "Platform/UI/LayoutConstraint.h"

namespace solen {
namespace {

platform::Color grey(double white) { return {white, white, white, 1}; }

}  // namespace

void VideoViewAsset::setupControls() {
    if (videoControlStackView_) {
        platform::LayoutConstraint::removeConstraints(*videoControlStackView_);
        videoControlStackView_->removeFromSuperview();
    }
    videoControlStackView_ = platform::StackView::create();
    controlGradient_.reset();
    if (!videoPlayer_) {
        return;
    }
    platform::StackView& bar = *videoControlStackView_;
    bar.setAxis(platform::StackView::Axis::horizontal);
    bar.setAlpha(0.6);
    bar.setSpacing(20.0);
    bar.setAlignment(platform::StackView::Alignment::center);
    bar.setDistribution(platform::StackView::Distribution::fill);
    bar.setBackgroundColor(platform::Color{1, 0, 0, 1});
    platform::Layer& layer = *bar.layer();
    layer.setCornerRadius(10.0);
    layer.setMasksToBounds(true);
    layer.setShadowColor(platform::Color::black());
    layer.setShadowOffset(platform::Size{0.0, 1.0});
    layer.setShadowOpacity(0.2);
    layer.setShadowRadius(4.0);
    applyControlGradient();
    bar.setLayoutMargins(platform::EdgeInsets{0, 14.0, 0, 14.0});
    bar.setLayoutMarginsRelativeArrangement(true);
    addSubview(videoControlStackView_);

    setupPlayControl();
    setupProgressBar();
    setupMuteControl();
    bar.addArrangedSubview(videoPlayControlImageView_);
    bar.addArrangedSubview(videoProgressBar_);
    bar.addArrangedSubview(videoMuteControlImageView_);

    using platform::LayoutAttribute;
    using platform::LayoutRelation;
    const std::shared_ptr<platform::View> barView = videoControlStackView_;
    const std::shared_ptr<platform::View> player = videoPlayer_;
    platform::LayoutConstraint::setTranslatesAutoresizingMaskIntoConstraints(bar, false);
    const auto edge = [&](LayoutAttribute attribute, double constant) {
        return platform::anchor(barView, attribute)
            .constraint(LayoutRelation::equal, platform::anchor(player, attribute), 1, constant);
    };
    platform::LayoutConstraint::activate({
        edge(LayoutAttribute::left, 8.0),
        edge(LayoutAttribute::right, -8.0),
        edge(LayoutAttribute::bottom, -4.0),
        platform::anchor(barView, LayoutAttribute::height)
            .constraint(LayoutRelation::lessThanOrEqual, platform::anchor(player, LayoutAttribute::width), 0.08),
    });
}

bool VideoViewAsset::setupControlButton(ImageViewAsset& button) {
    button.setAssetViewdelegate(std::static_pointer_cast<NativeAssetInteractionDelegate>(strongSelf()));
    button.clickGestureRecognizer().setEnabled(true);
    if (!videoControlStackView_ || button.superview()) {
        return false;
    }
    const std::shared_ptr<platform::View> view = button.shared_from_this();
    const std::shared_ptr<platform::View> bar = videoControlStackView_;
    button.setContentMode(platform::ImageView::ContentMode::scaleAspectFit);
    addSubview(view);
    using platform::LayoutAttribute;
    using platform::LayoutRelation;
    platform::LayoutConstraint::setTranslatesAutoresizingMaskIntoConstraints(button, false);
    platform::LayoutConstraint::activate({
        platform::anchor(view, LayoutAttribute::top)
            .constraint(LayoutRelation::equal, platform::anchor(bar, LayoutAttribute::top), 1, 8.0),
        platform::anchor(view, LayoutAttribute::bottom)
            .constraint(LayoutRelation::equal, platform::anchor(bar, LayoutAttribute::bottom), 1, -8.0),
        platform::anchor(view, LayoutAttribute::width)
            .constraint(LayoutRelation::equal, platform::anchor(view, LayoutAttribute::height), 1.0),
    });
    return true;
}

void VideoViewAsset::setupPlayControl() { setupControlButton(*videoPlayControlImageView_); }

void VideoViewAsset::setupMuteControl() {
    if (setupControlButton(*videoMuteControlImageView_)) {
        updateMuteControlImage();
    }
}

void VideoViewAsset::setupProgressBar() {
    platform::ProgressView& progress = *videoProgressBar_;
    progress.setTrackTintColor(grey(2.0 / 3.0));
    progress.setProgressTintColor(platform::Color::white());
    if (!progress.superview()) {
        addSubview(videoProgressBar_);
        using platform::LayoutAxis;
        platform::LayoutConstraint::setContentHuggingPriority(progress, 250, LayoutAxis::horizontal);
        platform::LayoutConstraint::setContentCompressionResistancePriority(progress, 750, LayoutAxis::horizontal);
    }
}

void VideoViewAsset::applyControlGradient() {
    if (!videoControlStackView_) {
        return;
    }
    platform::View& bar = *videoControlStackView_;
    if (controlGradient_ && controlGradient_->superlayer() == bar.layer()) {
        controlGradient_->setFrame(platform::Rect(platform::Point{}, bar.frame().size));
        return;
    }
    Utilities::addGradientLayer(bar, {platform::Color::black(), grey(1.0 / 3.0), grey(0.5)}, {0.0, 1.0},
                                platform::Point{0.0, 1.0}, platform::Point{0.0, 0.0});
    controlGradient_ = std::static_pointer_cast<platform::GradientLayer>(bar.layer()->sublayers().front());
}

void VideoViewAsset::updatePlayControlImage() {
    if (videoPlayer_) {
        const bool playing = videoPlayer_->playbackState() == Player::PlaybackState::playing;
        videoPlayControlImageView_->loadImage(playing ? "sol_Pause" : "sol_Play");
    }
}

void VideoViewAsset::updateMuteControlImage() {
    if (videoPlayer_) {
        videoMuteControlImageView_->loadImage(videoPlayer_->avplayer()->isMuted() ? "sol_Mute" : "sol_Unmute");
    }
}

void VideoViewAsset::togglePlayback() {
    if (!videoPlayer_) {
        return;
    }
    // The player may report state changes that release nothing, but keep it for the whole call.
    const std::shared_ptr<Player> player = videoPlayer_;
    switch (player->playbackState()) {
        case Player::PlaybackState::stopped:
            player->setVideoPausedByUser(false);
            player->avplayer()->seek(platform::MediaTime::zero());
            player->activatePlayback();
            break;
        case Player::PlaybackState::playing:
            player->setVideoPausedByUser(true);
            player->pause();
            break;
        case Player::PlaybackState::paused:
            player->setVideoPausedByUser(false);
            player->activatePlayback();
            break;
        case Player::PlaybackState::failed: player->pause(); break;
    }
    updatePlayControlImage();
}

void VideoViewAsset::removePlaybackViews() {
    for (const std::shared_ptr<platform::View>& view :
         {std::shared_ptr<platform::View>(videoPlayer_), std::shared_ptr<platform::View>(videoMuteControlImageView_),
          std::shared_ptr<platform::View>(videoProgressBar_), std::shared_ptr<platform::View>(videoPlayControlImageView_),
          std::shared_ptr<platform::View>(videoControlStackView_)}) {
        if (view) {
            platform::LayoutConstraint::removeConstraints(*view);
            view->removeFromSuperview();
        }
    }
    if (videoPlayer_) {
        videoPlayer_->stop();
    }
}

void VideoViewAsset::assetTapped(const std::shared_ptr<NativeAsset>& asset, const std::optional<AssetOnClick>& onClick) {
    if (!asset) {
        return;
    }
    const auto is = [&asset](const std::shared_ptr<ImageViewAsset>& view) {
        return view && asset == std::static_pointer_cast<NativeAsset>(view);
    };
    if (is(videoMuteControlImageView_)) {
        if (!videoPlayer_) {
            return;
        }
        const std::shared_ptr<Player> player = videoPlayer_;
        const bool mute = !player->avplayer()->isMuted();
        player->avplayer()->setMuted(mute);
        if (player->playbackDelegate()) {
            playerPlayBackSoundChanges(*player, mute);
        }
        updateMuteControlImage();
    } else if (is(companionImageView_) || is(videoThumbnailImageView_)) {
        if (const auto delegate = assetViewdelegate()) {
            delegate->assetTapped(asset, onClick);
        }
    } else if (is(videoPlayControlImageView_)) {
        togglePlayback();
    }
}

void VideoViewAsset::layoutSublayersOfLayer(platform::Layer& layer) {
    View::layoutSublayersOfLayer(layer);
    applyControlGradient();
}

}  // namespace solen
