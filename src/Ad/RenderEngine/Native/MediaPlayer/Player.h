#pragma once

#include "Ad/RenderEngine/Native/MediaPlayer/PlayerDelegate.h"
#include "Ad/RenderEngine/Native/MediaPlayer/PlayerError.h"
#include "Ad/RenderEngine/Native/MediaPlayer/PlayerPlaybackDelegate.h"
#include "Commons/Utilities/ViewabilityManager.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Media/AssetImageGenerator.h"
#include "Platform/Media/MediaFactsSource.h"
#include "Platform/Media/MediaPlayer.h"
#include "Platform/Media/PlayerLayer.h"
#include <solen/ui/TapGestureRecognizer.h>

#include <solen/ui/Image.h>
#include <solen/ui/View.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace solen {

// The view that plays the video of a native video asset. Its backing layer is a player layer
// showing the one media player it drives. Assigning a URL loads the asset on a later main-loop
// turn and installs its item once the keys have loaded; the player then reports readiness, state
// and buffering changes, time ticks, start and quartile milestones, completion, loops, taps and
// failures to two weakly held delegates: a failure of the load, or of the item's playback after
// it was ready, is reported once.
//
// Playback pauses while less than half of the view is inside its window and, with `autoplay`,
// resumes with the next verdict that it is viewable (checked every 0.5 s while the view is in a
// superview). The application going inactive or to the background and audio interruptions pause
// it; coming back resumes it only when the view is viewable at that moment. A user's pause
// (`setVideoPausedByUser`) blocks every start.
//
// Every observation, timer and notification registration holds the player weakly; destroying it
// ends them all and calls no delegate. A delegate may release the player from inside a callback:
// the player keeps itself alive for the call. Main thread only.
class Player : public platform::View {
public:
    enum class PlaybackState { stopped = 0, playing = 1, paused = 2, failed = 3 };
    enum class BufferingState { unknown = 0, ready = 1, delayed = 2 };
    using ThumbnailCompletion = std::function<void(std::optional<platform::Image>, std::optional<platform::Error>)>;

    // The case of a raw value; none outside the range.
    static std::optional<PlaybackState> playbackStateFromRawValue(int rawValue);
    static std::optional<BufferingState> bufferingStateFromRawValue(int rawValue);
    // "Stopped", "Playing", "Paused", "Failed"; "Unknown", "Ready", "Delayed".
    static std::string_view description(PlaybackState state);
    static std::string_view description(BufferingState state);

    // A null source means MediaFactsSource::shared() (tests script the media facts).
    static std::shared_ptr<Player> create(platform::Rect frame = {},
                                          std::shared_ptr<platform::MediaFactsSource> source = nullptr);
    ~Player() override;

    std::shared_ptr<PlayerDelegate> playerDelegate() const { return playerDelegate_.lock(); }
    void setPlayerDelegate(const std::shared_ptr<PlayerDelegate>& delegate) { playerDelegate_ = delegate; }
    std::shared_ptr<PlayerPlaybackDelegate> playbackDelegate() const { return playbackDelegate_.lock(); }
    void setPlaybackDelegate(const std::shared_ptr<PlayerPlaybackDelegate>& delegate) { playbackDelegate_ = delegate; }

    // A URL starts loading it (tearing down the current item first); none is stored and changes
    // nothing else.
    const std::optional<platform::URL>& url() const { return url_; }
    void setUrl(std::optional<platform::URL> url);

    bool autoplay() const { return autoplay_; }
    void setAutoplay(bool autoplay) { autoplay_ = autoplay; }
    // Given to the media player when an item is installed and when a loop restarts.
    float rate() const { return rate_; }
    void setRate(float rate) { rate_ = rate; }
    // At the end of an item without a loop: true keeps the last frame, false rewinds first.
    bool playbackFreezesAtEnd() const { return playbackFreezesAtEnd_; }
    void setPlaybackFreezesAtEnd(bool freezes) { playbackFreezesAtEnd_ = freezes; }
    bool isVideoPausedByUser() const { return isVideoPausedByUser_; }
    void setVideoPausedByUser(bool paused) { isVideoPausedByUser_ = paused; }
    // Buffered time ahead of the play head that lets playback continue, seconds.
    double bufferSizeInSeconds() const { return bufferSizeInSeconds_; }
    void setBufferSizeInSeconds(double seconds) { bufferSizeInSeconds_ = seconds; }
    // True: the delegate hears of a state only when it changes; false: of every assignment.
    bool playbackEdgeTriggered() const { return playbackEdgeTriggered_; }
    void setPlaybackEdgeTriggered(bool edgeTriggered) { playbackEdgeTriggered_ = edgeTriggered; }
    // Kept for the owner; never applied to the item.
    double preferredPeakBitRate() const { return preferredPeakBitRate_; }
    void setPreferredPeakBitRate(double bitRate) { preferredPeakBitRate_ = bitRate; }

    PlaybackState playbackState() const { return playbackState_; }
    BufferingState bufferingState() const { return bufferingState_; }
    bool isViewable() const { return isViewable_; }
    const std::shared_ptr<platform::Asset>& asset() const { return asset_; }
    const std::shared_ptr<platform::PlayerItem>& playerItem() const { return playerItem_; }
    const std::shared_ptr<platform::MediaPlayer>& avplayer() const { return avplayer_; }
    std::shared_ptr<platform::PlayerLayer> playerLayer() const;
    const std::shared_ptr<ViewabilityManager>& viewablity() const { return viewablity_; }
    platform::TapGestureRecognizer& clickGestureRecognizer() const { return *clickGestureRecognizer_; }
    // Applied to the next installed item.
    void setSeekTimeRequested(std::optional<platform::MediaTime> time) { seekTimeRequested_ = time; }

    // Playback commands. `play` starts unless the user paused or neither `autoplay` nor an earlier
    // `activatePlayback` (for this URL) allows it; `activatePlayback` is the user's play and
    // allows it. `pause` acts only while playing, `stop` unless stopped; neither seeks.
    void play();
    void activatePlayback();
    void pause();
    void stop();

    // Images at 0.01 s and at sixty times the duration in whole seconds (past the end, so that one
    // fails; asked only when that time is representable): the completion runs once per time on
    // a later main-loop turn. Without an item it runs once with neither image nor error.
    void generateThumbnail(ThumbnailCompletion completion);

    void startViewabilityTracking();
    void pauseViewabilityTracking();
    void stopViewabilityTracking();

    void willMoveToSuperview(const std::shared_ptr<platform::View>& newSuperview) override;

private:
    Player(platform::Rect frame, std::shared_ptr<platform::MediaFactsSource> source);
    void finishCreation();
    std::weak_ptr<Player> weakSelf();
    std::shared_ptr<Player> strongSelf();

    void setPlaybackState(PlaybackState state);
    void setBufferingState(BufferingState state);
    void setViewable(bool viewable);
    void halt(PlaybackState state);
    bool meetsVisibilityRule() const;

    void prepareAsset(const platform::URL& url);
    void attachAsset(const std::shared_ptr<platform::Asset>& asset, std::uint64_t generation);
    void assetKeysDidLoad(const std::shared_ptr<platform::Asset>& asset, std::uint64_t generation);
    void setupPlayerItem(std::shared_ptr<platform::PlayerItem> item);
    void addPlayerItemObservers(const std::shared_ptr<platform::PlayerItem>& item);
    void addBoundaryTimeObserver(const std::shared_ptr<platform::PlayerItem>& item);
    void addPlayerObservers();
    void removePlayerObservers();
    void observeItemNotifications(const std::shared_ptr<platform::PlayerItem>& item);
    void itemBufferChanged();
    void loadedTimeRangesChanged();
    void boundaryCrossed(const std::vector<double>& quartileSeconds, double startSeconds);
    void failLoad(std::optional<platform::Error> error);
    // The installed item failed after it was ready: state failed, and the delegate hears of it once.
    void failPlayback(std::optional<platform::Error> error);

    // Entry points of the platform.
    void wasTapped();
    void playerItemDidPlayToEndTime();
    void playerItemFailedToPlayToEndTime(const platform::Notification& notification);
    void handleInterruption(const platform::Notification& notification);
    void handleApplicationWillResignActive();
    void handleApplicationDidBecomeActive();
    void handleApplicationDidEnterBackground();
    void handleApplicationWillEnterForeground();
    // Pauses playback and visibility tracking (going inactive, to the background, interrupted).
    void suspend();
    void resumeIfViewable(bool resume);

    template <class Delegate, class Call>
    void tell(const std::weak_ptr<Delegate>& delegate, Call&& call);

    const std::shared_ptr<platform::MediaFactsSource> source_;
    std::weak_ptr<PlayerDelegate> playerDelegate_;
    std::weak_ptr<PlayerPlaybackDelegate> playbackDelegate_;
    std::optional<platform::URL> url_;
    bool autoplay_ = false;
    float rate_ = 1.0f;
    bool playbackFreezesAtEnd_ = true;
    PlaybackState playbackState_ = PlaybackState::stopped;
    bool isVideoPausedByUser_ = false;
    BufferingState bufferingState_ = BufferingState::unknown;
    double bufferSizeInSeconds_ = 0;
    bool playbackEdgeTriggered_ = true;
    std::shared_ptr<ViewabilityManager> viewablity_;
    bool isViewable_ = false;
    double preferredPeakBitRate_ = 0;
    std::shared_ptr<platform::Asset> asset_;
    std::shared_ptr<platform::MediaPlayer> avplayer_;
    std::shared_ptr<platform::TapGestureRecognizer> clickGestureRecognizer_;
    std::shared_ptr<platform::PlayerItem> playerItem_;
    std::vector<std::shared_ptr<platform::Observation>> playerObservers_;
    std::vector<std::shared_ptr<platform::Observation>> playerItemObservers_;
    std::shared_ptr<platform::Observation> playerLayerObserver_;
    std::shared_ptr<platform::Observation> playerTimeObserver_;
    std::shared_ptr<platform::Observation> timeObserverToken_;
    std::optional<platform::MediaTime> seekTimeRequested_;
    double lastBufferTime_ = 0;
    std::shared_ptr<platform::AssetImageGenerator> imageGenerator_;
    bool hasAutoplayActivated_ = false;
    // The installed item's failure has been reported (reset when an item is installed).
    bool playbackFailureReported_ = false;
    // Numbers each URL: an attach step or key answer of a URL assigned since is dropped.
    std::uint64_t loadGeneration_ = 0;
};

}  // namespace solen
