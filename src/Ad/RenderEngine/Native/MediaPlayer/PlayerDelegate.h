#pragma once

#include <solen/ui/Error.h>

#include <optional>

namespace solen {

class Player;

// Hears of a player's states, readiness, buffering, failures and taps. The player holds it
// weakly and calls it on the main thread, keeping itself alive for the call.
class PlayerDelegate {
public:
    virtual ~PlayerDelegate() = default;

    // The layer's ready-for-display flag changed, either way (not after a reported failure of
    // the item).
    virtual void playerReady(Player& player) = 0;
    virtual void playerPlaybackStateDidChange(Player& player) = 0;
    virtual void playerBufferingStateDidChange(Player& player) = 0;
    // The end of the first loaded time range moved to `bufferedTime` seconds.
    virtual void playerBufferedTimeDidChange(Player& player, double bufferedTime) = 0;
    // A key of the asset failed (with its error, which may be absent), the asset cannot be
    // played (PlayerError::failed), or playback of the ready item broke off (with the platform's
    // error, when it gives one): once per item.
    virtual void player(Player& player, const std::optional<platform::Error>& error) = 0;
    virtual void playerDidReceiveTap(Player& player) = 0;
};

}  // namespace solen
