#pragma once

namespace solen {

class Player;

// Hears of a player's playback milestones: time ticks, start, quartiles, completion and loops.
// The player holds it weakly and calls it on the main thread, keeping itself alive for the call.
class PlayerPlaybackDelegate {
public:
    virtual ~PlayerPlaybackDelegate() = default;

    // Every 1/100 s of playback time.
    virtual void playerPlaybackTimeDidChange(Player& player) = 0;
    // The play head crossed 0.01 s.
    virtual void playerPlaybackDidStarted(Player& player) = 0;
    // The play head crossed 25 %, 50 %, 75 % of the duration known when the item was installed.
    virtual void playerPlayBackDidFinishFirstQuartile(Player& player) = 0;
    virtual void playerPlayBackDidFinishSecondQuartile(Player& player) = 0;
    virtual void playerPlayBackDidFinishThiredQuartile(Player& player) = 0;
    // The item played to its end and no loop follows.
    virtual void playerPlayBackDidCompleted(Player& player) = 0;
    virtual void playerPlaybackWillLoop(Player& player) = 0;
    virtual void playerPlaybackDidLoop(Player& player) = 0;
    // Raised by the player's owner when it changes the mute state; never by the player.
    virtual void playerPlayBackSoundChanges(Player& player, bool mute) = 0;
};

}  // namespace solen
