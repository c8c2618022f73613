#include "Commons/Utilities/TimeKeeper.h"

#include <cmath>
#include <utility>

namespace solen {
namespace {

double validDelay(double seconds) { return std::isnan(seconds) || seconds < 0 ? 0 : seconds; }

}  // namespace

TimeKeeper::TimeKeeper(double timerInterval, double repeatInterval)
    : timerInterval_(timerInterval), repeatInterval_(repeatInterval) {}

std::shared_ptr<TimeKeeper> TimeKeeper::create(double timerInterval, double repeatInterval) {
    return std::make_shared<TimeKeeper>(timerInterval, repeatInterval);
}

TimeKeeper::~TimeKeeper() {
    std::shared_ptr<platform::DispatchTimer> timer;
    bool wasSuspended = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        timer = timerLocked();
        wasSuspended = state_ == State::suspended;
        state_ = State::resumed;
    }
    // Outside the lock: cancel waits for a handler running on another thread, and that handler
    // may call into this keeper.
    timer->setEventHandler([] {});
    timer->cancel();
    if (wasSuspended) {
        // A cancelled source is never left suspended.
        timer->resume();
    }
    std::function<void()> dropped;
    {
        std::lock_guard<std::mutex> lock(handler_->mutex);
        dropped = std::move(handler_->handler);
    }
}

std::function<void()> TimeKeeper::eventHandler() const {
    std::lock_guard<std::mutex> lock(handler_->mutex);
    return handler_->handler;
}

void TimeKeeper::setEventHandler(std::function<void()> handler) {
    std::function<void()> previous;  // released after the lock: it may own anything
    std::lock_guard<std::mutex> lock(handler_->mutex);
    previous = std::exchange(handler_->handler, std::move(handler));
}

TimeKeeper::State TimeKeeper::state() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return state_;
}

std::shared_ptr<platform::DispatchTimer> TimeKeeper::timer() {
    std::lock_guard<std::mutex> lock(mutex_);
    return timerLocked();
}

std::shared_ptr<platform::DispatchTimer> TimeKeeper::timerLocked() {
    if (timer_) {
        return timer_;
    }
    timer_ = platform::DispatchTimer::create(platform::DispatchQueue::global());
    std::optional<platform::Clock::Duration> repeating;
    if (std::isfinite(repeatInterval_) && repeatInterval_ > 0) {
        repeating = platform::Clock::seconds(repeatInterval_);
    }
    timer_->schedule(platform::Clock::seconds(validDelay(timerInterval_)), repeating);
    timer_->setEventHandler([weakCell = std::weak_ptr<HandlerCell>(handler_)] {
        const auto cell = weakCell.lock();
        if (!cell) {
            return;
        }
        std::function<void()> handler;
        {
            std::lock_guard<std::mutex> lock(cell->mutex);
            handler = cell->handler;
        }
        // A copy runs, so that the owner may replace or drop the handler from inside it.
        if (handler) {
            handler();
        }
    });
    return timer_;
}

void TimeKeeper::resume() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (state_ != State::suspended) {
        return;
    }
    state_ = State::resumed;
    timerLocked()->resume();
}

void TimeKeeper::suspend() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (state_ != State::resumed) {
        return;
    }
    state_ = State::suspended;
    timerLocked()->suspend();
}

}  // namespace solen
