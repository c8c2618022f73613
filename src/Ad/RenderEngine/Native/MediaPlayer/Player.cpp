#include "Ad/RenderEngine/Native/MediaPlayer/Player.h"

#include "Commons/Utilities/Logger.h"
#include "Commons/Utilities/MainQueue.h"
#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Media/AudioSession.h"
#include "Platform/UI/Application.h"

#include <any>
#include <array>
#include <cassert>
#include <cmath>
#include <limits>
#include <string>
#include <utility>

namespace solen {

using platform::Asset;
using platform::MediaPlayer;
using platform::MediaTime;
using platform::NotificationCenter;
using platform::PlayerItem;

namespace {

constexpr std::array<std::string_view, 3> kLoadingKeys{"tracks", "playable", "duration"};
constexpr double kStartSeconds = 0.01;
constexpr std::int32_t kStartTimescale = 600;
// Half of the view's area inside its window.
constexpr double kViewableFraction = 0.5;

template <class Enum, std::size_t count>
std::optional<Enum> fromRawValue(int rawValue) {
    if (rawValue < 0 || rawValue >= static_cast<int>(count)) return std::nullopt;
    return static_cast<Enum>(rawValue);
}

void checkMainThread() { assert(platform::MainLoop::shared().isMainThread() && "Player used off the main thread"); }

}  // namespace

std::optional<Player::PlaybackState> Player::playbackStateFromRawValue(int rawValue) {
    return fromRawValue<PlaybackState, 4>(rawValue);
}

std::optional<Player::BufferingState> Player::bufferingStateFromRawValue(int rawValue) {
    return fromRawValue<BufferingState, 3>(rawValue);
}

std::string_view Player::description(PlaybackState state) {
    switch (state) {
        case PlaybackState::stopped: return "Stopped";
        case PlaybackState::playing: return "Playing";
        case PlaybackState::paused: return "Paused";
        case PlaybackState::failed: return "Failed";
    }
    return "";
}

std::string_view Player::description(BufferingState state) {
    switch (state) {
        case BufferingState::unknown: return "Unknown";
        case BufferingState::ready: return "Ready";
        case BufferingState::delayed: return "Delayed";
    }
    return "";
}

std::shared_ptr<Player> Player::create(platform::Rect frame, std::shared_ptr<platform::MediaFactsSource> source) {
    checkMainThread();
    std::shared_ptr<Player> player(new Player(frame, std::move(source)));
    player->finishCreation();
    return player;
}

Player::Player(platform::Rect frame, std::shared_ptr<platform::MediaFactsSource> source)
    : View(frame, platform::PlayerLayer::create()),
      source_(std::move(source)),
      avplayer_(MediaPlayer::create()) {
    avplayer_->setActionAtItemEnd(MediaPlayer::ActionAtItemEnd::pause);
}

void Player::finishCreation() {
    const auto weak = weakSelf();
    playerLayer()->setPlayer(avplayer_);
    // The layer that lets go of the picture of an item whose failure was reported is no news of
    // readiness: the owner must not take the failed item for loaded again.
    playerLayerObserver_ = playerLayer()->isReadyForDisplay().observe([weak](bool, bool) {
        const auto self = weak.lock();
        if (!self || self->playbackFailureReported_) return;
        self->tell(self->playerDelegate_, [&](PlayerDelegate& d) { d.playerReady(*self); });
    });
    addPlayerObservers();

    auto& center = NotificationCenter::defaultCenter();
    const std::shared_ptr<const void> owner = strongSelf();
    const auto on = [&](const std::string& name, void (Player::*handler)()) {
        center.addObserver(owner, name, [weak, handler](const platform::Notification&) {
            if (auto self = weak.lock()) ((*self).*handler)();
        });
    };
    using platform::Application;
    on(Application::willResignActiveNotification, &Player::handleApplicationWillResignActive);
    on(Application::didBecomeActiveNotification, &Player::handleApplicationDidBecomeActive);
    on(Application::didEnterBackgroundNotification, &Player::handleApplicationDidEnterBackground);
    on(Application::willEnterForegroundNotification, &Player::handleApplicationWillEnterForeground);

    viewablity_ = ViewabilityManager::create(strongSelf(), ViewVisibilityTrackingMode::percentage(kViewableFraction));

    clickGestureRecognizer_ = platform::TapGestureRecognizer::create();
    clickGestureRecognizer_->addAction([weak](platform::GestureRecognizer&) {
        if (auto self = weak.lock()) self->wasTapped();
    });
    clickGestureRecognizer_->setEnabled(false);
    addGestureRecognizer(clickGestureRecognizer_);
    // Taps count only once the player is complete.
    clickGestureRecognizer_->setEnabled(true);
}

Player::~Player() {
    // Every handler below captured this player weakly and finds it gone: no delegate is called.
    avplayer_->pause();
    setupPlayerItem(nullptr);
    removePlayerObservers();
    playerDelegate_.reset();
    NotificationCenter::defaultCenter().removeObserver(static_cast<const void*>(this));
    playbackDelegate_.reset();
    if (playerLayerObserver_) playerLayerObserver_->invalidate();
    playerLayerObserver_.reset();
    stopViewabilityTracking();
}

std::weak_ptr<Player> Player::weakSelf() { return std::static_pointer_cast<Player>(shared_from_this()); }

std::shared_ptr<Player> Player::strongSelf() {
    return std::static_pointer_cast<Player>(weak_from_this().lock());
}

std::shared_ptr<platform::PlayerLayer> Player::playerLayer() const {
    return std::static_pointer_cast<platform::PlayerLayer>(layer());
}

// Calls a delegate that is present, keeping this player alive for the call. Nothing is called
// while the player is being destroyed.
template <class Delegate, class Call>
void Player::tell(const std::weak_ptr<Delegate>& weakDelegate, Call&& call) {
    const auto delegate = weakDelegate.lock();
    if (!delegate) return;
    const auto keepAlive = strongSelf();
    if (!keepAlive) return;
    call(*delegate);
}

void Player::setPlaybackState(PlaybackState state) {
    const PlaybackState old = std::exchange(playbackState_, state);
    if (old == state && playbackEdgeTriggered_) return;
    tell(playerDelegate_, [&](PlayerDelegate& d) { d.playerPlaybackStateDidChange(*this); });
}

void Player::setBufferingState(BufferingState state) {
    const BufferingState old = std::exchange(bufferingState_, state);
    if (old == state && playbackEdgeTriggered_) return;
    tell(playerDelegate_, [&](PlayerDelegate& d) { d.playerBufferingStateDidChange(*this); });
}

// Loading

void Player::setUrl(std::optional<platform::URL> url) {
    checkMainThread();
    url_ = std::move(url);
    if (url_) prepareAsset(*url_);
}

void Player::prepareAsset(const platform::URL& url) {
    const auto keepAlive = strongSelf();
    if (playbackState_ == PlaybackState::playing) pause();
    hasAutoplayActivated_ = false;
    setPlaybackState(autoplay_ ? PlaybackState::playing : PlaybackState::stopped);
    setupPlayerItem(nullptr);
    auto asset = Asset::create(url, source_);
    const std::uint64_t generation = ++loadGeneration_;
    // Never inline: the owner finishes its set-up before the asset is attached.
    performOnMainQueue([self = keepAlive, asset = std::move(asset), generation] { self->attachAsset(asset, generation); });
}

void Player::attachAsset(const std::shared_ptr<Asset>& asset, std::uint64_t generation) {
    if (generation != loadGeneration_) return;  // a later URL took over
    if (playbackState_ == PlaybackState::playing) pause();
    setBufferingState(BufferingState::unknown);
    asset_ = asset;
    setupPlayerItem(nullptr);
    std::vector<std::string> keys(kLoadingKeys.begin(), kLoadingKeys.end());
    asset->loadValuesAsynchronously(std::move(keys), [weak = weakSelf(), weakAsset = std::weak_ptr<Asset>(asset), generation] {
        const auto self = weak.lock();
        const auto loaded = weakAsset.lock();
        if (self && loaded) self->assetKeysDidLoad(loaded, generation);
    });
}

void Player::assetKeysDidLoad(const std::shared_ptr<Asset>& asset, std::uint64_t generation) {
    // The answer for an asset another URL has replaced would install the wrong media.
    if (!asset_ || asset_ != asset || generation != loadGeneration_) return;
    for (const std::string_view key : kLoadingKeys) {
        std::optional<platform::Error> error;
        if (asset->statusOfValue(key, &error) == Asset::KeyStatus::failed) {
            failLoad(std::move(error));
            return;
        }
    }
    if (asset->isPlayable()) {
        setupPlayerItem(PlayerItem::create(asset));
    } else {
        failLoad(toError(PlayerError::failed));
    }
}

void Player::failLoad(std::optional<platform::Error> error) {
    setPlaybackState(PlaybackState::failed);
    tell(playerDelegate_, [&](PlayerDelegate& d) { d.player(*this, error); });
}

// The player can learn of one failure twice (the failed-to-play-to-end notification and a buffer
// observation that finds the item failed); the owner hears of it once.
void Player::failPlayback(std::optional<platform::Error> error) {
    const auto keepAlive = strongSelf();
    setPlaybackState(PlaybackState::failed);
    if (std::exchange(playbackFailureReported_, true)) return;
    tell(playerDelegate_, [&](PlayerDelegate& d) { d.player(*this, error); });
}

void Player::setupPlayerItem(std::shared_ptr<PlayerItem> item) {
    for (const auto& observation : playerItemObservers_) observation->invalidate();
    playerItemObservers_.clear();
    if (timeObserverToken_) {
        avplayer_->removeTimeObserver(timeObserverToken_);
        timeObserverToken_.reset();
    }
    auto& center = NotificationCenter::defaultCenter();
    if (playerItem_) {
        center.removeObserver(this, PlayerItem::didPlayToEndTimeNotification);
        center.removeObserver(this, PlayerItem::failedToPlayToEndTimeNotification);
    }
    playerItem_ = item;
    playbackFailureReported_ = false;
    if (item) {
        item->setAudioTimePitchAlgorithm(PlayerItem::AudioTimePitchAlgorithm::spectral);
        if (seekTimeRequested_) item->seek(*std::exchange(seekTimeRequested_, std::nullopt));
        addPlayerItemObservers(item);
        addBoundaryTimeObserver(item);
        observeItemNotifications(item);
    }
    avplayer_->replaceCurrentItem(item);
    avplayer_->setRate(rate_);
    // Looping stays on across items; anything else ends in a pause.
    if (avplayer_->actionAtItemEnd() != MediaPlayer::ActionAtItemEnd::none) {
        avplayer_->setActionAtItemEnd(MediaPlayer::ActionAtItemEnd::pause);
    }
}

void Player::observeItemNotifications(const std::shared_ptr<PlayerItem>& item) {
    auto& center = NotificationCenter::defaultCenter();
    const std::shared_ptr<const void> owner = strongSelf();
    const auto weak = weakSelf();
    center.addObserver(
        owner, PlayerItem::didPlayToEndTimeNotification,
        [weak](const platform::Notification&) {
            if (auto self = weak.lock()) self->playerItemDidPlayToEndTime();
        },
        item);
    center.addObserver(
        owner, PlayerItem::failedToPlayToEndTimeNotification,
        [weak](const platform::Notification& notification) {
            if (auto self = weak.lock()) self->playerItemFailedToPlayToEndTime(notification);
        },
        item);
    // One registration however many items were installed. The audio session posts on any
    // thread; this player lives on the main thread, and is only looked up there.
    center.removeObserver(this, platform::AudioSession::interruptionNotification);
    center.addObserver(
        owner, platform::AudioSession::interruptionNotification,
        [weak](const platform::Notification& notification) {
            const auto handle = [weak, notification] {
                if (auto self = weak.lock()) self->handleInterruption(notification);
            };
            if (platform::MainLoop::shared().isMainThread()) {
                handle();
            } else {
                performOnMainQueue(handle);
            }
        },
        platform::AudioSession::sharedInstance());
}

void Player::addPlayerItemObservers(const std::shared_ptr<PlayerItem>& item) {
    const auto weak = weakSelf();
    const std::weak_ptr<PlayerItem> weakItem = item;
    playerItemObservers_.push_back(item->isPlaybackBufferEmpty().observe([weak, weakItem](bool, bool empty) {
        const auto self = weak.lock();
        const auto observed = weakItem.lock();
        if (!self || !observed) return;
        if (empty) self->setBufferingState(BufferingState::delayed);
        if (observed->status().value() == PlayerItem::Status::failed) self->failPlayback(observed->error());
    }));
    playerItemObservers_.push_back(item->isPlaybackLikelyToKeepUp().observe([weak, weakItem](bool, bool likely) {
        const auto self = weak.lock();
        const auto observed = weakItem.lock();
        if (!self || !observed) return;
        if (likely) {
            self->setBufferingState(BufferingState::ready);
            if (self->playbackState_ == PlaybackState::playing) self->play();
        }
        if (observed->status().value() == PlayerItem::Status::failed) self->failPlayback(observed->error());
    }));
    playerItemObservers_.push_back(item->loadedTimeRanges().observe(
        [weak, weakItem](const std::vector<PlayerItem::TimeRange>&, const std::vector<PlayerItem::TimeRange>& ranges) {
            const auto self = weak.lock();
            const auto observed = weakItem.lock();
            if (!self || !observed) return;
            if (!ranges.empty()) {
                const double end = (ranges.front().start + ranges.front().duration).seconds();
                if (std::isfinite(end) && end != self->lastBufferTime_) {
                    self->lastBufferTime_ = end;
                    self->tell(self->playerDelegate_, [&](PlayerDelegate& d) { d.playerBufferedTimeDidChange(*self, end); });
                }
            }
            const double current = observed->currentTime().seconds();
            const double passed = self->lastBufferTime_ <= 0 ? current : self->lastBufferTime_ - current;
            const double duration = self->playerItem_ ? self->playerItem_->duration().seconds()
                                                      : std::numeric_limits<double>::quiet_NaN();
            if (self->playbackState_ == PlaybackState::playing &&
                (passed >= self->bufferSizeInSeconds_ || self->lastBufferTime_ == duration || ranges.empty())) {
                self->play();
            }
        }));
}

void Player::addBoundaryTimeObserver(const std::shared_ptr<PlayerItem>& item) {
    // Fixed here from the duration known now; an indefinite duration gives no quartile times.
    const MediaTime duration = item->duration();
    const MediaTime start = MediaTime::withSeconds(kStartSeconds, kStartTimescale);
    const std::vector<MediaTime> quartiles{duration.multipliedBy(0.25), duration.multipliedBy(0.5),
                                           duration.multipliedBy(0.75)};
    std::vector<double> quartileSeconds;
    for (const MediaTime& time : quartiles) quartileSeconds.push_back(time.seconds());
    std::vector<MediaTime> times{start};
    times.insert(times.end(), quartiles.begin(), quartiles.end());
    timeObserverToken_ = avplayer_->addBoundaryTimeObserver(
        std::move(times), [weak = weakSelf(), quartileSeconds, startSeconds = start.seconds()] {
            if (auto self = weak.lock()) self->boundaryCrossed(quartileSeconds, startSeconds);
        });
}

// Raises at most one milestone, the highest the play head has reached.
void Player::boundaryCrossed(const std::vector<double>& quartileSeconds, double startSeconds) {
    const double now = playerItem_ ? playerItem_->currentTime().seconds() : std::numeric_limits<double>::quiet_NaN();
    using Milestone = void (PlayerPlaybackDelegate::*)(Player&);
    const std::array<std::pair<double, Milestone>, 4> milestones{{
        {quartileSeconds.at(2), &PlayerPlaybackDelegate::playerPlayBackDidFinishThiredQuartile},
        {quartileSeconds.at(1), &PlayerPlaybackDelegate::playerPlayBackDidFinishSecondQuartile},
        {quartileSeconds.at(0), &PlayerPlaybackDelegate::playerPlayBackDidFinishFirstQuartile},
        {startSeconds, &PlayerPlaybackDelegate::playerPlaybackDidStarted},
    }};
    for (const auto& [at, milestone] : milestones) {
        if (now >= at) {
            tell(playbackDelegate_, [&](PlayerPlaybackDelegate& d) { (d.*milestone)(*this); });
            return;
        }
    }
}

void Player::addPlayerObservers() {
    const auto weak = weakSelf();
    playerTimeObserver_ = avplayer_->addPeriodicTimeObserver(MediaTime::make(1, 100), [weak](MediaTime) {
        if (auto self = weak.lock()) {
            self->tell(self->playbackDelegate_, [&](PlayerPlaybackDelegate& d) { d.playerPlaybackTimeDidChange(*self); });
        }
    });
    using Status = MediaPlayer::TimeControlStatus;
    playerObservers_.push_back(avplayer_->timeControlStatus().observe([weak](Status, Status status) {
        const auto self = weak.lock();
        if (!self) return;
        if (status == Status::playing) self->setPlaybackState(PlaybackState::playing);
        if (status == Status::paused) self->setPlaybackState(PlaybackState::paused);
    }));
}

void Player::removePlayerObservers() {
    if (playerTimeObserver_) avplayer_->removeTimeObserver(playerTimeObserver_);
    playerTimeObserver_.reset();
    for (const auto& observation : playerObservers_) observation->invalidate();
    playerObservers_.clear();
}

// Playback commands

void Player::play() {
    checkMainThread();
    if (isVideoPausedByUser_) return;
    if (!autoplay_ && !hasAutoplayActivated_) return;
    const auto keepAlive = strongSelf();
    rate_ = 1.0f;
    avplayer_->setRate(1.0f);
    setPlaybackState(PlaybackState::playing);
    avplayer_->playImmediately(1.0f);
}

void Player::activatePlayback() {
    if (!autoplay_) hasAutoplayActivated_ = true;
    play();
}

void Player::pause() {
    if (playbackState_ == PlaybackState::playing) halt(PlaybackState::paused);
}

void Player::stop() {
    if (playbackState_ != PlaybackState::stopped) halt(PlaybackState::stopped);
}

// Rate 0 for the player and the media player, which stays where it is.
void Player::halt(PlaybackState state) {
    checkMainThread();
    const auto keepAlive = strongSelf();
    rate_ = 0;
    avplayer_->setRate(0);
    avplayer_->pause();
    setPlaybackState(state);
}

// End of item, failures, taps

void Player::playerItemDidPlayToEndTime() {
    const auto self = strongSelf();
    if (avplayer_->actionAtItemEnd() == MediaPlayer::ActionAtItemEnd::none) {
        tell(playbackDelegate_, [&](PlayerPlaybackDelegate& d) { d.playerPlaybackWillLoop(*this); });
        avplayer_->seek(MediaTime::zero());
        avplayer_->play();
        avplayer_->setRate(rate_);
        tell(playbackDelegate_, [&](PlayerPlaybackDelegate& d) { d.playerPlaybackDidLoop(*this); });
    } else if (!playbackFreezesAtEnd_) {
        avplayer_->seek(MediaTime::zero(), [self](bool) {
            self->tell(self->playbackDelegate_, [&](PlayerPlaybackDelegate& d) { d.playerPlayBackDidCompleted(*self); });
            self->stop();
        });
    } else {
        tell(playbackDelegate_, [&](PlayerPlaybackDelegate& d) { d.playerPlayBackDidCompleted(*this); });
        stop();
    }
}

void Player::playerItemFailedToPlayToEndTime(const platform::Notification& notification) {
    std::optional<platform::Error> error;
    const auto found = notification.userInfo.find(PlayerItem::failedToPlayToEndTimeErrorKey);
    if (found != notification.userInfo.end()) {
        if (const auto* reported = std::any_cast<platform::Error>(&found->second)) error = *reported;
    }
    failPlayback(std::move(error));
}

void Player::wasTapped() {
    tell(playerDelegate_, [&](PlayerDelegate& d) { d.playerDidReceiveTap(*this); });
}

// Interruptions, lifecycle, visibility

void Player::handleInterruption(const platform::Notification& notification) {
    const auto found = notification.userInfo.find(platform::AudioSession::interruptionTypeKey);
    if (found == notification.userInfo.end()) return;
    const auto* type = std::any_cast<std::uint64_t>(&found->second);
    if (!type) return;
    using Type = platform::AudioSession::InterruptionType;
    if (*type == static_cast<std::uint64_t>(Type::ended)) {
        resumeIfViewable(playbackState_ == PlaybackState::paused);
    } else if (*type == static_cast<std::uint64_t>(Type::began)) {
        suspend();
    }
}

void Player::suspend() {
    const auto keepAlive = strongSelf();
    if (playbackState_ == PlaybackState::playing) pause();
    pauseViewabilityTracking();
}

void Player::handleApplicationWillResignActive() { suspend(); }

void Player::handleApplicationDidEnterBackground() { suspend(); }

void Player::handleApplicationDidBecomeActive() { resumeIfViewable(playbackState_ == PlaybackState::paused); }

void Player::handleApplicationWillEnterForeground() { resumeIfViewable(playbackState_ != PlaybackState::playing); }

// A resumption the application or the audio session drives plays only a player that is on
// screen now: one that is off screen would otherwise play, and count its milestones, unseen.
void Player::resumeIfViewable(bool resume) {
    const auto keepAlive = strongSelf();
    if (resume && meetsVisibilityRule()) play();
    startViewabilityTracking();
}

bool Player::meetsVisibilityRule() const {
    return viewablity_ && ViewabilityManager::meetsVisibility(*this, viewablity_->trackingMode());
}

void Player::startViewabilityTracking() {
    if (!viewablity_) return;
    viewablity_->setListener([weak = weakSelf()](bool visible) {
        if (auto self = weak.lock()) self->setViewable(visible);
    });
    viewablity_->timer()->scheduleNow();
}

void Player::pauseViewabilityTracking() {
    if (!viewablity_) return;
    viewablity_->timer()->pause();
    setViewable(false);
}

void Player::stopViewabilityTracking() {
    if (!viewablity_) return;
    viewablity_->setListener(nullptr);
    viewablity_->timer()->invalidate();
    setViewable(false);
}

void Player::setViewable(bool viewable) {
    if (viewable == isViewable_) return;
    isViewable_ = viewable;
    Logger::debug(viewable ? "true" : "false");
    if (!viewable) {
        pause();
    } else if (autoplay_ && !isVideoPausedByUser_) {
        activatePlayback();
    }
}

void Player::willMoveToSuperview(const std::shared_ptr<platform::View>& newSuperview) {
    if (newSuperview) {
        startViewabilityTracking();
    } else {
        const auto keepAlive = strongSelf();
        pause();
        pauseViewabilityTracking();
    }
    View::willMoveToSuperview(newSuperview);
}

// Thumbnails

void Player::generateThumbnail(ThumbnailCompletion completion) {
    checkMainThread();
    if (!playerItem_) {
        if (completion) performOnMainQueue([completion] { completion(std::nullopt, std::nullopt); });
        return;
    }
    imageGenerator_ = platform::AssetImageGenerator::create(playerItem_->asset());
    imageGenerator_->setAppliesPreferredTrackTransform(true);
    std::vector<MediaTime> times{MediaTime::withSeconds(kStartSeconds, kStartTimescale)};
    // Sixty times the duration in whole seconds, when that is a time at all.
    const double late = playerItem_->asset()->duration().seconds() * 60.0;
    if (std::isfinite(late) && late >= static_cast<double>(std::numeric_limits<std::int64_t>::min()) &&
        late < static_cast<double>(std::numeric_limits<std::int64_t>::max())) {
        times.push_back(MediaTime::make(static_cast<std::int64_t>(late), 1));
    }
    using Result = platform::AssetImageGenerator::Result;
    imageGenerator_->generateImagesAsynchronously(
        std::move(times), [completion](MediaTime, std::optional<platform::Image> image, MediaTime, Result result,
                                       std::optional<platform::Error> error) {
            if (!completion) return;
            if (!image) {
                completion(std::nullopt, std::move(error));
            } else if (result == Result::succeeded) {
                completion(std::move(image), std::nullopt);
            } else {
                completion(std::nullopt, std::nullopt);
            }
        });
}

}  // namespace solen
