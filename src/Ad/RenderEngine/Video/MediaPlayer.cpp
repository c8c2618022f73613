#include "Ad/RenderEngine/Video/MediaPlayer.h"

#include "Commons/Utilities/Utilities.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Media/Asset.h"
#include "Platform/Media/PlayerItem.h"
#include "Platform/Media/PlayerLayer.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/Layer.h"
#include "Platform/UI/Screen.h"

namespace solen {

namespace {
platform::NotificationCenter& center() { return platform::NotificationCenter::defaultCenter(); }
}  // namespace

std::shared_ptr<MediaPlayer> MediaPlayer::create(platform::URL url, std::weak_ptr<platform::View> renderView,
                                                 std::weak_ptr<MediaPlayerDelegate> playerDelegate) {
    std::shared_ptr<MediaPlayer> player(new MediaPlayer(std::move(url), std::move(renderView), std::move(playerDelegate)));
    player->setUp();
    return player;
}

MediaPlayer::~MediaPlayer() {
    // A player released without a close goes quietly: a destructor tells no delegate.
    close(false);
}

platform::Rect MediaPlayer::availableRect() {
    const double statusBar = Utilities::statusBarHeight();
    const platform::Rect screen = platform::Screen::main().bounds();
    return {0, statusBar, screen.size.width, screen.size.height - statusBar};
}

void MediaPlayer::setUp() {
    player_ = platform::MediaPlayer::create();
    const auto asset = platform::Asset::create(url_);
    item_ = platform::PlayerItem::create(asset);
    // The media stand-in plays only an asset whose facts are loaded: the item goes into the player
    // once they are (a play before that waits), as the platform player would load them itself.
    asset->loadValuesAsynchronously({"playable", "duration", "tracks"}, [weakSelf = weak_from_this()] {
        if (const auto self = weakSelf.lock(); self && self->player_) {
            self->player_->replaceCurrentItem(self->item_);
        }
    });
    player_->setVolume(1.0f);

    const platform::Rect rect = availableRect();
    playerView_ = std::make_shared<MediaPlayerView>(rect);
    playerView_->setBackgroundColor(platform::Color::black());
    playerView_->setAutoresizingMask(platform::View::flexibleWidth | platform::View::flexibleHeight);
    addObservers();

    const auto layer = platform::PlayerLayer::create();
    layer->setFrame(rect);
    layer->setPlayer(player_);
    playerView_->layer()->addSublayer(layer);

    if (const auto renderView = renderView_.lock()) {
        renderView->addSubview(playerView_);
    }
    addCloseButton();
}

void MediaPlayer::addObservers() {
    const std::weak_ptr<MediaPlayer> weakSelf = weak_from_this();
    const auto on = [weakSelf](void (MediaPlayer::*handler)()) {
        return [weakSelf, handler](const platform::Notification&) {
            if (const auto self = weakSelf.lock()) {
                ((*self).*handler)();
            }
        };
    };
    const auto self = shared_from_this();
    center().addObserver(self, platform::PlayerItem::didPlayToEndTimeNotification, on(&MediaPlayer::mediaEndNotification), item_);
    center().addObserver(self, platform::Application::didEnterBackgroundNotification, on(&MediaPlayer::appEnterBackground));
    center().addObserver(self, platform::Application::didBecomeActiveNotification, on(&MediaPlayer::appBecameActive));
}

void MediaPlayer::removeObservers() { center().removeObserver(this); }

void MediaPlayer::addCloseButton() {
    if (adCloseButton_) {
        adCloseButton_->removeFromSuperview();
    }
    if (!playerView_) {
        return;
    }
    adCloseButton_ = std::make_shared<AdCloseButton>(platform::Rect{
        playerView_->frame().size.width - closeButtonSize, 0, closeButtonSize, closeButtonSize});
    adCloseButton_->setAccessibilityLabel("close");
    adCloseButton_->setGraphics(true);
    adCloseButton_->setAutoresizingMask(platform::View::flexibleLeftMargin);
    adCloseButton_->addTarget(
        [weakSelf = weak_from_this()] {
            if (const auto self = weakSelf.lock()) {
                self->closePlayer();
            }
        },
        platform::Button::ControlEvent::touchUpInside);
    playerView_->addSubview(adCloseButton_);
}

void MediaPlayer::play() {
    if (player_) {
        player_->play();
    }
}

void MediaPlayer::appEnterBackground() {
    if (player_) {
        player_->setRate(0);
    }
}

void MediaPlayer::appBecameActive() {
    if (player_) {
        player_->setRate(1.0f);
    }
}

void MediaPlayer::close(bool notify) {
    if (closed_) {
        return;
    }
    closed_ = true;
    if (player_) {
        player_->pause();
        player_.reset();
    }
    if (playerView_) {
        playerView_->removeFromSuperview();
    }
    removeObservers();
    if (notify) {
        if (const auto delegate = playerDelegate_.lock()) {
            delegate->mediaPlayerDidClose();
        }
    }
}

bool MediaManager::playVideo(const AnyDictionary& params, const std::shared_ptr<platform::View>& renderView,
                             std::weak_ptr<MediaPlayerDelegate> delegate) {
    const auto found = params.is_object() ? params.find("url") : params.end();
    if (found == params.end() || !found->is_string()) {
        return false;
    }
    std::optional<platform::URL> url = platform::URL::parse(found->get_ref<const std::string&>());
    if (!url) {
        return false;
    }
    if (mediaPlayer_) {
        mediaPlayer_->close(false);
    }
    mediaPlayer_ = MediaPlayer::create(std::move(*url), renderView, std::move(delegate));
    mediaPlayer_->play();
    return true;
}

}  // namespace solen
