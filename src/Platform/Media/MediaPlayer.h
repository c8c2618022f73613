#pragma once

#include "Platform/Dispatch/Clock.h"
#include "Platform/Dispatch/RunLoopTimer.h"
#include "Platform/Media/MediaTime.h"
#include "Platform/Media/Observation.h"
#include "Platform/Media/ObservedValue.h"
#include "Platform/Media/PlayerItem.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace solen::platform {

class PlayerLayer;

// Plays one item at a time on the SDK's clock; nothing is decoded or heard. While the time-control
// status is playing, the play head moves by rate x elapsed clock time, and a run-loop timer wakes
// the main loop every 10 ms to move it. The status is paused at rate 0, waiting with a rate but no
// ready item or an empty buffer, else playing; it is reported inside the call that changes it,
// and only on change.
//
// Time observers: a periodic one runs when the moving play head has passed a further multiple of
// its interval, at most once per move (multiples skipped in one move are not made up); a boundary
// one runs once for each of its times the moving play head passes, in time order. Observers due in
// one move run by time, then in the order they were added. Seeks call neither.
//
// End of item: the play head stops at the duration, the item posts its did-play-to-end
// notification, then the action at item end applies (pause: rate 0). At the end, a rate other
// than 0 moves nothing and posts nothing until a seek.
//
// A rate that is negative or not a number counts as 0 (this player does not play backwards).
// An item already installed in another player is not taken. Main thread only; released players
// and released observer tokens report nothing.
class MediaPlayer : public std::enable_shared_from_this<MediaPlayer> {
public:
    enum class ActionAtItemEnd { pause, none };
    enum class TimeControlStatus { paused, waitingToPlayAtSpecifiedRate, playing };

    static std::shared_ptr<MediaPlayer> create();
    MediaPlayer(const MediaPlayer&) = delete;
    MediaPlayer& operator=(const MediaPlayer&) = delete;
    ~MediaPlayer();

    const std::shared_ptr<PlayerItem>& currentItem() const { return item_; }
    void replaceCurrentItem(std::shared_ptr<PlayerItem> item);

    float rate() const { return rate_; }
    void setRate(float rate);
    void play() { setRate(1.0f); }
    void pause() { setRate(0.0f); }
    void playImmediately(float rate) { setRate(rate); }

    ActionAtItemEnd actionAtItemEnd() const { return actionAtItemEnd_; }
    void setActionAtItemEnd(ActionAtItemEnd action) { actionAtItemEnd_ = action; }
    bool isMuted() const { return muted_; }
    void setMuted(bool muted) { muted_ = muted; }
    // Recorded only (nothing is heard); kept within 0 to 1, a value that is not a number counts as 1.
    float volume() const { return volume_; }
    void setVolume(float volume) { volume_ = volume >= 0 && volume <= 1 ? volume : (volume > 1 || volume != volume ? 1.0f : 0.0f); }

    const ObservedValue<TimeControlStatus>& timeControlStatus() const { return status_; }
    // The current item's time; zero without an item.
    MediaTime currentTime() const;

    // Seeks the current item; without one the completion gets false on a later turn.
    void seek(MediaTime time, std::function<void(bool finished)> completion = nullptr);

    // Observers run on the main thread; the periodic block receives the current time. An
    // interval that is not positive counts as 1 ms. Keep the token: releasing or invalidating it
    // (or `removeTimeObserver`) ends the observer.
    [[nodiscard]] std::shared_ptr<Observation> addPeriodicTimeObserver(MediaTime interval,
                                                                       std::function<void(MediaTime)> block);
    [[nodiscard]] std::shared_ptr<Observation> addBoundaryTimeObserver(std::vector<MediaTime> times,
                                                                       std::function<void()> block);
    void removeTimeObserver(const std::shared_ptr<Observation>& token);

private:
    friend class PlayerItem;
    friend class PlayerLayer;
    struct TimeObserver;

    MediaPlayer();
    // Moves the play head by the clock time since the last move, runs the observers it passed and
    // handles a stall, failure or end it reached.
    void advance();
    void runTimeObservers(std::int64_t from, std::int64_t to);
    void reachEnd(const std::shared_ptr<PlayerItem>& item);
    void updateStatus();
    void updateTimer();
    void updateLayers();
    // Called by the item.
    void playheadJumped();
    void itemStateChanged(const PlayerItem& item);
    // Called by a layer that shows this player.
    void addLayer(const std::shared_ptr<PlayerLayer>& layer);

    const std::shared_ptr<Clock> clock_;
    std::shared_ptr<PlayerItem> item_;
    float rate_ = 0;
    ActionAtItemEnd actionAtItemEnd_ = ActionAtItemEnd::pause;
    bool muted_ = false;
    float volume_ = 1.0f;
    ObservedValue<TimeControlStatus> status_{TimeControlStatus::paused};
    Clock::TimePoint lastMove_;
    std::shared_ptr<RunLoopTimer> timer_;
    std::vector<std::weak_ptr<TimeObserver>> timeObservers_;
    std::uint64_t observersAdded_ = 0;
    std::vector<std::weak_ptr<PlayerLayer>> layers_;
};

}  // namespace solen::platform
