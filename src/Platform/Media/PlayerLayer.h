#pragma once

#include "Platform/Media/MediaPlayer.h"
#include "Platform/Media/ObservedValue.h"
#include "Platform/UI/Layer.h"

#include <memory>

namespace solen::platform {

// The layer that shows a player's pictures (none are drawn). It is ready for display while its
// player has a ready item with a video track, and not ready once the item is removed or fails.
// Holds its player strongly. Main thread only, like views.
class PlayerLayer : public Layer {
public:
    static std::shared_ptr<PlayerLayer> create();

    const std::shared_ptr<MediaPlayer>& player() const { return player_; }
    void setPlayer(std::shared_ptr<MediaPlayer> player);

    const ObservedValue<bool>& isReadyForDisplay() const { return readyForDisplay_; }

private:
    friend class MediaPlayer;
    void refresh();

    std::shared_ptr<MediaPlayer> player_;
    ObservedValue<bool> readyForDisplay_{false};
};

}  // namespace solen::platform
