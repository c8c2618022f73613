#pragma once

#include "Ad/RenderEngine/Video/AdCloseButton.h"
#include "Commons/Utilities/AnyDictionary.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Media/MediaPlayer.h"

#include <memory>
#include <optional>

namespace solen {

// Hears that a video player closed.
class MediaPlayerDelegate {
public:
    virtual ~MediaPlayerDelegate() = default;
    virtual void mediaPlayerDidClose() = 0;
};

// The view a video plays in.
class MediaPlayerView final : public platform::View {
public:
    using View::View;
};

// A creative's video played natively over the ad: a black view below the status bar with the
// platform player's layer and a 50-point close button in its top-right corner. It pauses while the
// application is in the background and plays again when it becomes active; the end of the video
// or a tap on the close button closes it. Closing acts once: the player stops, the view leaves
// the screen and the delegate hears of it; later calls and the destructor do nothing more. A URL
// that cannot be played shows the black view and its close button. Main thread only; made with
// `create`.
class MediaPlayer final : public std::enable_shared_from_this<MediaPlayer> {
public:
    static constexpr double closeButtonSize = 50;

    // Sets everything up (the view goes into `renderView` when it is still there) without
    // starting playback.
    static std::shared_ptr<MediaPlayer> create(platform::URL url, std::weak_ptr<platform::View> renderView,
                                               std::weak_ptr<MediaPlayerDelegate> playerDelegate);
    ~MediaPlayer();
    MediaPlayer(const MediaPlayer&) = delete;
    MediaPlayer& operator=(const MediaPlayer&) = delete;

    const std::shared_ptr<platform::MediaPlayer>& player() const { return player_; }
    const std::shared_ptr<MediaPlayerView>& playerView() const { return playerView_; }
    const std::shared_ptr<AdCloseButton>& adCloseButton() const { return adCloseButton_; }
    const platform::URL& url() const { return url_; }
    // Below the status bar, over the main screen's width.
    static platform::Rect availableRect();

    // Starts playback; nothing once closed.
    void play();
    // Stops and removes the player; the delegate hears of it when `notify` is set. Acts once.
    void close(bool notify = true);
    bool isClosed() const { return closed_; }

    // Notification and button handlers.
    void closePlayer() { close(); }
    void mediaEndNotification() { close(); }
    void appEnterBackground();
    void appBecameActive();

private:
    MediaPlayer(platform::URL url, std::weak_ptr<platform::View> renderView, std::weak_ptr<MediaPlayerDelegate> playerDelegate)
        : url_(std::move(url)), renderView_(std::move(renderView)), playerDelegate_(std::move(playerDelegate)) {}
    void setUp();
    void addObservers();
    void addCloseButton();
    void removeObservers();

    std::shared_ptr<platform::MediaPlayer> player_;
    std::shared_ptr<platform::PlayerItem> item_;
    std::shared_ptr<MediaPlayerView> playerView_;
    std::shared_ptr<AdCloseButton> adCloseButton_;
    const platform::URL url_;
    const std::weak_ptr<platform::View> renderView_;
    const std::weak_ptr<MediaPlayerDelegate> playerDelegate_;
    bool closed_ = false;
};

// Keeps the video player of one render view.
class MediaManager final {
public:
    const std::shared_ptr<MediaPlayer>& mediaPlayer() const { return mediaPlayer_; }

    // Plays the "url" text of a call's parameters over `renderView`, which also hears the close.
    // A player already here is closed first without telling its delegate. Without a "url" text,
    // or when it is no URL, nothing is made and the answer is false.
    bool playVideo(const AnyDictionary& params, const std::shared_ptr<platform::View>& renderView,
                   std::weak_ptr<MediaPlayerDelegate> delegate);

private:
    std::shared_ptr<MediaPlayer> mediaPlayer_;
};

}  // namespace solen
