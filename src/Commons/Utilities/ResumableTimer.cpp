#include "Commons/Utilities/ResumableTimer.h"

#include "Platform/Dispatch/MainLoop.h"

#include <algorithm>
#include <chrono>

namespace solen {

using platform::Clock;
using platform::MainLoop;
using platform::RunLoopTimer;

ResumableTimer::ResumableTimer(double interval, bool repeats, Closure closure)
    : interval_(interval),
      repeats_(repeats),
      clock_(Clock::shared()),
      synchronizationQueue_(platform::DispatchQueue::createConcurrent(queueLabel)),
      timerClosure_(std::move(closure)) {}

std::shared_ptr<ResumableTimer> ResumableTimer::create(double interval, bool repeats, std::string runLoopMode,
                                                       Closure closure) {
    std::shared_ptr<ResumableTimer> timer(new ResumableTimer(interval, repeats, std::move(closure)));
    std::weak_ptr<ResumableTimer> weakTimer = timer;
    auto runLoopTimer = RunLoopTimer::create(Clock::distantFuture(), Clock::seconds(interval), repeats,
                                             [weakTimer](RunLoopTimer&) {
                                                 if (const auto self = weakTimer.lock()) {
                                                     self->fired();
                                                 }
                                             });
    // Nobody else can see the timer yet: no queue needed for this first write.
    timer->timer_ = runLoopTimer;
    if (MainLoop::shared().isMainThread()) {
        MainLoop::shared().add(runLoopTimer, runLoopMode);
    } else {
        MainLoop::shared().async([weakTimer, mode = std::move(runLoopMode)] {
            const auto self = weakTimer.lock();
            if (!self) {
                return;
            }
            std::shared_ptr<RunLoopTimer> current;
            self->synchronizationQueue_->sync([&] { current = self->timer_; });
            if (current) {
                MainLoop::shared().add(current, mode);
            }
        });
    }
    return timer;
}

ResumableTimer::~ResumableTimer() {
    // The last owner is going: no block of the queue can be running for this timer.
    if (timer_) {
        timer_->invalidate();
    }
}

void ResumableTimer::scheduleNow() {
    synchronizationQueue_->syncBarrier([this] {
        if (!timer_) {
            return;
        }
        double delay = 0;
        switch (state_.kind) {
            case State::Case::active:
            case State::Case::complete:
                return;
            case State::Case::ready:
                delay = interval_;
                break;
            case State::Case::paused:
                delay = state_.remaining;
                break;
        }
        timer_->setFireDate(Clock::deadline(clock_->now(), Clock::seconds(std::max(delay, 0.0))));
        state_ = State::active();
    });
}

void ResumableTimer::pause() {
    synchronizationQueue_->syncBarrier([this] {
        if (!timer_ || !timer_->isValid() || state_.kind != State::Case::active) {
            return;
        }
        const Clock::Duration left = timer_->fireDate() - clock_->now();
        const double remaining = std::chrono::duration<double>(left).count();
        timer_->setFireDate(Clock::distantFuture());
        state_ = State::paused(std::max(remaining, 0.0));
    });
}

void ResumableTimer::invalidate() {
    synchronizationQueue_->syncBarrier([this] { invalidateOnQueue(); });
}

void ResumableTimer::invalidateOnQueue() {
    if (timer_) {
        timer_->invalidate();
        timer_.reset();
    }
    state_ = State::complete();
}

bool ResumableTimer::isValid() const {
    bool valid = false;
    synchronizationQueue_->sync([&] { valid = state_.kind != State::Case::complete; });
    return valid;
}

bool ResumableTimer::isCountdownActive() const { return state().kind == State::Case::active; }

ResumableTimer::State ResumableTimer::state() const {
    State current;
    synchronizationQueue_->sync([&] { current = state_; });
    return current;
}

void ResumableTimer::fired() {
    const std::shared_ptr<ResumableTimer> keep = shared_from_this();
    if (!repeats_) {
        invalidate();
    }
    if (timerClosure_) {
        timerClosure_(*this);
    }
}

}  // namespace solen
