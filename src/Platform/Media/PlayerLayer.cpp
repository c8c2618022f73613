#include "Platform/Media/PlayerLayer.h"

namespace solen::platform {

std::shared_ptr<PlayerLayer> PlayerLayer::create() { return std::make_shared<PlayerLayer>(); }

void PlayerLayer::setPlayer(std::shared_ptr<MediaPlayer> player) {
    if (player == player_) return;
    player_ = std::move(player);
    if (player_) player_->addLayer(std::static_pointer_cast<PlayerLayer>(shared_from_this()));
    refresh();
}

void PlayerLayer::refresh() {
    const std::shared_ptr<PlayerItem> item = player_ ? player_->currentItem() : nullptr;
    const bool ready = item && item->status().value() == PlayerItem::Status::readyToPlay &&
                       !item->asset()->tracks(MediaTrack::MediaType::video).empty();
    readyForDisplay_.set(ready);
}

}  // namespace solen::platform
