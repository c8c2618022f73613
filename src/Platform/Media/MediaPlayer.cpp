#include "Platform/Media/MediaPlayer.h"

#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/Media/PlayerLayer.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace solen::platform {
namespace {

constexpr Clock::Duration kTick = std::chrono::milliseconds(10);
constexpr std::int64_t kMinimumInterval = 1'000'000;  // 1 ms

float sanitisedRate(float rate) { return std::isfinite(rate) && rate > 0 ? rate : 0.0f; }

}  // namespace

struct MediaPlayer::TimeObserver {
    std::uint64_t order = 0;
    std::int64_t interval = 0;          // periodic: nanoseconds; 0 for a boundary observer
    std::vector<std::int64_t> times;    // boundary: nanoseconds
    std::function<void(MediaTime)> periodicBlock;
    std::function<void()> boundaryBlock;
};

std::shared_ptr<MediaPlayer> MediaPlayer::create() { return std::shared_ptr<MediaPlayer>(new MediaPlayer()); }

MediaPlayer::MediaPlayer() : clock_(Clock::shared()), lastMove_(clock_->now()) {}

MediaPlayer::~MediaPlayer() {
    if (timer_) timer_->invalidate();
}

MediaTime MediaPlayer::currentTime() const { return item_ ? item_->currentTime() : MediaTime::zero(); }

void MediaPlayer::replaceCurrentItem(std::shared_ptr<PlayerItem> item) {
    if (item == item_) return;
    if (item) {
        auto owner = item->player_.lock();
        if (owner && owner.get() != this) return;
    }
    auto keepAlive = shared_from_this();
    advance();
    if (item_) item_->player_.reset();
    item_ = std::move(item);
    if (item_) {
        item_->player_ = weak_from_this();
        // The item turns ready on the next turn, if it is still installed here then.
        performOnMainQueue([weakItem = std::weak_ptr<PlayerItem>(item_), weakPlayer = weak_from_this()] {
            auto item = weakItem.lock();
            auto player = weakPlayer.lock();
            if (!item || !player || player->item_ != item) return;
            item->becomeReady();
            player->itemStateChanged(*item);
        });
    }
    updateStatus();
    updateLayers();
}

void MediaPlayer::setRate(float rate) {
    auto keepAlive = shared_from_this();
    advance();
    rate_ = sanitisedRate(rate);
    updateStatus();
}

void MediaPlayer::seek(MediaTime time, std::function<void(bool finished)> completion) {
    if (item_) {
        item_->seek(time, std::move(completion));
    } else if (completion) {
        performOnMainQueue([completion = std::move(completion)] { completion(false); });
    }
}

std::shared_ptr<Observation> MediaPlayer::addPeriodicTimeObserver(MediaTime interval,
                                                                  std::function<void(MediaTime)> block) {
    auto observer = std::make_shared<TimeObserver>();
    observer->order = ++observersAdded_;
    observer->interval = std::max(interval.isNumeric() ? interval.nanoseconds() : 0, kMinimumInterval);
    observer->periodicBlock = std::move(block);
    timeObservers_.push_back(observer);
    return std::make_shared<Observation>(observer);
}

std::shared_ptr<Observation> MediaPlayer::addBoundaryTimeObserver(std::vector<MediaTime> times,
                                                                  std::function<void()> block) {
    auto observer = std::make_shared<TimeObserver>();
    observer->order = ++observersAdded_;
    for (const MediaTime& time : times) {
        if (time.isNumeric()) observer->times.push_back(time.nanoseconds());
    }
    observer->boundaryBlock = std::move(block);
    timeObservers_.push_back(observer);
    return std::make_shared<Observation>(observer);
}

void MediaPlayer::removeTimeObserver(const std::shared_ptr<Observation>& token) {
    if (token) token->invalidate();
}

void MediaPlayer::advance() {
    const Clock::TimePoint now = clock_->now();
    const auto elapsed = (now - lastMove_).count();
    lastMove_ = now;
    const auto item = item_;
    if (!item || status_.value() != TimeControlStatus::playing || item->atEnd_ || elapsed <= 0) return;
    const double distance = std::floor(static_cast<double>(rate_) * static_cast<double>(elapsed));
    if (!(distance >= 1)) return;

    const std::int64_t from = item->position_;
    const std::int64_t end = item->durationNanoseconds();
    std::int64_t to = distance >= static_cast<double>(end - from) ? end : from + static_cast<std::int64_t>(distance);

    // A scripted stall or failure on the way stops the play head there.
    const MediaFacts& facts = item->script_;
    std::optional<MediaFacts::Stall> stall;
    bool fails = false;
    for (const auto& scripted : facts.stalls) {
        const std::int64_t at = MediaTime::withSeconds(scripted.atSeconds, 1'000'000'000).nanoseconds();
        if (at > from && at <= to && at < end) {
            to = at;
            stall = scripted;
        }
    }
    if (facts.failsAtSeconds) {
        const std::int64_t at = MediaTime::withSeconds(*facts.failsAtSeconds, 1'000'000'000).nanoseconds();
        if (at > from && at <= to) {
            to = at;
            fails = true;
            stall.reset();
        }
    }

    item->position_ = to;
    const std::uint64_t seeks = item->seekCount_;
    runTimeObservers(from, to);
    // An observer may have replaced the item or moved its play head: that decides from here on.
    if (item_ != item || item->seekCount_ != seeks) return;
    if (fails) {
        item->failPlayback("playback broke off");
        itemStateChanged(*item);
    } else if (stall) {
        item->beginStall(*stall);
        itemStateChanged(*item);
    } else if (to == end && item->duration().isNumeric()) {
        reachEnd(item);
    }
}

void MediaPlayer::runTimeObservers(std::int64_t from, std::int64_t to) {
    struct Due {
        std::int64_t at;
        std::uint64_t order;
        std::weak_ptr<TimeObserver> observer;
    };
    std::vector<Due> due;
    std::erase_if(timeObservers_, [](const std::weak_ptr<TimeObserver>& observer) { return observer.expired(); });
    for (const auto& weak : timeObservers_) {
        const auto observer = weak.lock();
        if (!observer) continue;
        if (observer->interval > 0) {
            const std::int64_t passed = to / observer->interval;
            if (passed > from / observer->interval) due.push_back({passed * observer->interval, observer->order, weak});
            continue;
        }
        for (const std::int64_t time : observer->times) {
            if (time > from && time <= to) due.push_back({time, observer->order, weak});
        }
    }
    std::stable_sort(due.begin(), due.end(), [](const Due& a, const Due& b) {
        return a.at != b.at ? a.at < b.at : a.order < b.order;
    });
    for (const Due& entry : due) {
        // Looked up again: an earlier block may have ended this observer.
        const auto observer = entry.observer.lock();
        if (!observer) continue;
        if (observer->periodicBlock) observer->periodicBlock(currentTime());
        if (observer->boundaryBlock) observer->boundaryBlock();
    }
}

void MediaPlayer::reachEnd(const std::shared_ptr<PlayerItem>& item) {
    item->atEnd_ = true;
    updateTimer();
    NotificationCenter::defaultCenter().post(PlayerItem::didPlayToEndTimeNotification, item);
    if (actionAtItemEnd_ == ActionAtItemEnd::pause) setRate(0.0f);
}

void MediaPlayer::updateStatus() {
    TimeControlStatus status = TimeControlStatus::playing;
    if (rate_ == 0) {
        status = TimeControlStatus::paused;
    } else if (!item_ || item_->status_.value() != PlayerItem::Status::readyToPlay || item_->bufferEmpty_.value()) {
        status = TimeControlStatus::waitingToPlayAtSpecifiedRate;
    }
    if (status == TimeControlStatus::playing && status_.value() != TimeControlStatus::playing) {
        lastMove_ = clock_->now();
    }
    status_.set(status);
    updateTimer();
}

void MediaPlayer::updateTimer() {
    const bool moving = status_.value() == TimeControlStatus::playing && item_ && !item_->atEnd_;
    if (moving && !timer_) {
        timer_ = RunLoopTimer::create(kTick, true, [weak = weak_from_this()](RunLoopTimer&) {
            if (auto self = weak.lock()) self->advance();
        });
        MainLoop::shared().add(timer_, MainLoop::commonModes);
    } else if (!moving && timer_) {
        timer_->invalidate();
        timer_.reset();
    }
}

void MediaPlayer::updateLayers() {
    std::erase_if(layers_, [](const std::weak_ptr<PlayerLayer>& layer) { return layer.expired(); });
    const auto layers = layers_;
    for (const auto& weak : layers) {
        if (auto layer = weak.lock()) layer->refresh();
    }
}

void MediaPlayer::playheadJumped() {
    lastMove_ = clock_->now();
    updateTimer();
}

void MediaPlayer::itemStateChanged(const PlayerItem& item) {
    if (item_.get() != &item) return;
    auto keepAlive = shared_from_this();
    updateStatus();
    updateLayers();
}

void MediaPlayer::addLayer(const std::shared_ptr<PlayerLayer>& layer) {
    layers_.push_back(layer);
}

}  // namespace solen::platform
