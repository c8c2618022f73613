#include "Platform/Media/PlayerItem.h"

#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Media/MediaError.h"
#include "Platform/Media/MediaPlayer.h"

#include <algorithm>
#include <limits>

namespace solen::platform {
namespace {

constexpr std::int32_t kNanosecondTimescale = 1'000'000'000;

}  // namespace

const std::string& PlayerItem::didPlayToEndTimeNotification = *new std::string("PlayerItemDidPlayToEndTimeNotification");
const std::string& PlayerItem::failedToPlayToEndTimeNotification = *new std::string("PlayerItemFailedToPlayToEndTimeNotification");
const std::string& PlayerItem::failedToPlayToEndTimeErrorKey = *new std::string("PlayerItemFailedToPlayToEndTimeErrorKey");

std::shared_ptr<PlayerItem> PlayerItem::create(std::shared_ptr<Asset> asset) {
    return std::shared_ptr<PlayerItem>(new PlayerItem(std::move(asset)));
}

PlayerItem::~PlayerItem() {
    if (stallTimer_) stallTimer_->invalidate();
}

MediaTime PlayerItem::currentTime() const { return MediaTime::make(position_, kNanosecondTimescale); }

MediaTime PlayerItem::duration() const {
    const MediaTime duration = asset_ ? asset_->duration() : MediaTime::invalid();
    return duration.isNumeric() ? duration : MediaTime::indefinite();
}

std::int64_t PlayerItem::durationNanoseconds() const {
    const MediaTime total = duration();
    return total.isNumeric() ? std::max<std::int64_t>(total.nanoseconds(), 0) : std::numeric_limits<std::int64_t>::max();
}

std::vector<PlayerItem::TimeRange> PlayerItem::wholeItem() const {
    const MediaTime total = duration();
    if (!total.isNumeric()) return {};
    return {TimeRange{MediaTime::zero(), total}};
}

void PlayerItem::seek(MediaTime time, std::function<void(bool finished)> completion) {
    const std::uint64_t seek = ++seekCount_;
    const bool movable = time.isNumeric();
    if (movable) {
        position_ = std::clamp<std::int64_t>(time.nanoseconds(), 0, durationNanoseconds());
        atEnd_ = false;
        if (auto player = player_.lock()) player->playheadJumped();
    }
    if (!completion) return;
    performOnMainQueue([weak = weak_from_this(), seek, movable, completion = std::move(completion)] {
        if (auto self = weak.lock()) completion(movable && seek == self->seekCount_);
    });
}

void PlayerItem::becomeReady() {
    if (status_.value() != Status::unknown) return;
    if (!asset_ || !asset_->isPlayable()) {
        error_ = MediaError::make(MediaError::Code::playbackFailed, "the media is not playable");
        status_.set(Status::failed);
        return;
    }
    script_.stalls = asset_->facts().stalls;
    script_.failsAtSeconds = asset_->facts().failsAtSeconds;
    status_.set(Status::readyToPlay);
    loadedRanges_.set(wholeItem());
    bufferEmpty_.set(false);
    likelyToKeepUp_.set(true);
}

void PlayerItem::beginStall(const MediaFacts::Stall& stall) {
    loadedRanges_.set({TimeRange{MediaTime::zero(), currentTime()}});
    likelyToKeepUp_.set(false);
    bufferEmpty_.set(true);
    if (stallTimer_) stallTimer_->invalidate();
    stallTimer_ = RunLoopTimer::create(Clock::seconds(stall.forSeconds), false,
                                       [weak = weak_from_this(), inError = stall.endsInError](RunLoopTimer&) {
                                           if (auto self = weak.lock()) self->endStall(inError);
                                       });
    MainLoop::shared().add(stallTimer_, MainLoop::commonModes);
}

void PlayerItem::endStall(bool inError) {
    stallTimer_.reset();
    if (status_.value() != Status::readyToPlay) return;
    if (inError) {
        failPlayback("the download stalled and broke off");
        if (auto player = player_.lock()) player->itemStateChanged(*this);
        return;
    }
    loadedRanges_.set(wholeItem());
    bufferEmpty_.set(false);
    likelyToKeepUp_.set(true);
    if (auto player = player_.lock()) player->itemStateChanged(*this);
}

void PlayerItem::failPlayback(std::string reason) {
    error_ = MediaError::make(MediaError::Code::playbackFailed, std::move(reason));
    status_.set(Status::failed);
    Notification notification{failedToPlayToEndTimeNotification, shared_from_this(), {}};
    notification.userInfo.emplace(failedToPlayToEndTimeErrorKey, *error_);
    NotificationCenter::defaultCenter().post(notification);
}

}  // namespace solen::platform
