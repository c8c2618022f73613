#include "Platform/Dispatch/RunLoopTimer.h"

#include "Platform/Dispatch/BlockExecution.h"

#include <algorithm>
#include <exception>
#include <string>

namespace solen::platform {
namespace {

// Repeating intervals are kept at or above a tenth of a millisecond (a repeating timer with no
// interval would keep the loop busy forever).
constexpr Clock::Duration kMinimumRepeatInterval = std::chrono::microseconds(100);

// The first date after `now` on the grid `from + k * interval` (k >= 1): missed firings of a
// repeating timer are skipped, not made up.
Clock::TimePoint nextDate(Clock::TimePoint from, Clock::Duration interval, Clock::TimePoint now) {
    Clock::TimePoint next = Clock::deadline(from, interval);
    if (next > now || next >= Clock::distantFuture()) {
        return next;
    }
    const auto missed = (now - from) / interval;  // whole intervals already passed
    return Clock::deadline(from, interval * (missed + 1));
}

}  // namespace

RunLoopTimer::RunLoopTimer(std::shared_ptr<Clock> clock, Clock::TimePoint fireDate, Clock::Duration interval,
                           bool repeats, Block block)
    : clock_(std::move(clock)),
      fireDate_(fireDate),
      interval_(repeats && interval < kMinimumRepeatInterval ? kMinimumRepeatInterval : interval),
      repeats_(repeats),
      block_(std::move(block)) {}

std::shared_ptr<RunLoopTimer> RunLoopTimer::create(Clock::Duration interval, bool repeats, Block block) {
    auto clock = Clock::shared();
    const Clock::TimePoint fireDate = Clock::deadline(clock->now(), std::max(interval, Clock::Duration::zero()));
    return std::shared_ptr<RunLoopTimer>(
        new RunLoopTimer(std::move(clock), fireDate, interval, repeats, std::move(block)));
}

std::shared_ptr<RunLoopTimer> RunLoopTimer::create(Clock::TimePoint fireDate, Clock::Duration interval,
                                                   bool repeats, Block block) {
    return std::shared_ptr<RunLoopTimer>(
        new RunLoopTimer(Clock::shared(), fireDate, interval, repeats, std::move(block)));
}

std::shared_ptr<RunLoopTimer> RunLoopTimer::scheduled(Clock::Duration interval, bool repeats, Block block) {
    auto timer = create(interval, repeats, std::move(block));
    MainLoop::shared().add(timer, MainLoop::defaultMode);
    return timer;
}

Clock::TimePoint RunLoopTimer::fireDate() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return fireDate_;
}

void RunLoopTimer::setFireDate(Clock::TimePoint date) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!valid_) {
            return;
        }
        fireDate_ = date;
    }
    // The loop may be asleep until the old date (or forever, for the distant future).
    MainLoop::shared().wakeUp();
}

Clock::Duration RunLoopTimer::interval() const { return interval_; }

bool RunLoopTimer::repeats() const { return repeats_; }

bool RunLoopTimer::isValid() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return valid_;
}

void RunLoopTimer::invalidate() {
    Block released;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!valid_) {
            return;
        }
        valid_ = false;
        if (firing_ == 0) {
            released = std::move(block_);
        }
    }
    // The block and the loop's reference go now; what they captured is released with them.
    MainLoop::shared().remove(*this);
}

void RunLoopTimer::fire() {
    Clock::TimePoint scheduledDate;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!valid_) {
            return;
        }
        scheduledDate = fireDate_;
        ++firing_;
    }
    runBlock(scheduledDate, false);
}

bool RunLoopTimer::fireIfDue() {
    Clock::TimePoint scheduledDate;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!valid_ || fireDate_ > clock_->now()) {
            return false;
        }
        scheduledDate = fireDate_;
        ++firing_;
    }
    runBlock(scheduledDate, true);
    return true;
}

void RunLoopTimer::runBlock(Clock::TimePoint scheduledDate, bool fromLoop) {
    // Keeps the timer alive while its block runs, even when the block invalidates it.
    const auto self = shared_from_this();
    if (block_) {
        BlockExecution::catching([this] { block_(*this); }, "a run-loop timer block");
    }
    Block released;
    bool invalidated = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        --firing_;
        const bool dateUnchanged = fireDate_ == scheduledDate;
        if (valid_ && !repeats_ && (dateUnchanged || !fromLoop)) {
            valid_ = false;  // a one-shot timer is done once it fired
            invalidated = true;
        } else if (valid_ && repeats_ && fromLoop && dateUnchanged) {
            fireDate_ = nextDate(scheduledDate, interval_, clock_->now());
        }
        if (!valid_ && firing_ == 0) {
            released = std::move(block_);
        }
    }
    if (invalidated) {
        MainLoop::shared().remove(*this);
    }
}

}  // namespace solen::platform
