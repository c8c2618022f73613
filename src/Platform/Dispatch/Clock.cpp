#include "Platform/Dispatch/Clock.h"

#include <cmath>
#include <limits>

namespace solen::platform {
namespace {

// The shared clock lives in storage that is never destroyed: timer threads and log lines may
// read it while the process exits.
struct SharedClockSlot {
    std::mutex mutex;
    std::shared_ptr<Clock> clock;
    std::shared_ptr<Clock> system;
};

SharedClockSlot& sharedSlot() {
    static SharedClockSlot* slot = [] {
        auto* created = new SharedClockSlot;
        created->system = std::make_shared<SystemClock>();
        created->clock = created->system;
        return created;
    }();
    return *slot;
}

}  // namespace

std::shared_ptr<Clock::ObserverToken> Clock::addObserver(Observer observer) {
    auto stored = std::make_shared<Observer>(std::move(observer));
    {
        std::lock_guard<std::mutex> lock(observersMutex_);
        std::erase_if(observers_, [](const std::weak_ptr<Observer>& entry) { return entry.expired(); });
        observers_.push_back(stored);
    }
    return std::make_shared<ObserverToken>(std::move(stored));
}

void Clock::notifyObservers() {
    // Observers run outside the lock so that they may add or drop observers themselves.
    std::vector<std::shared_ptr<Observer>> alive;
    {
        std::lock_guard<std::mutex> lock(observersMutex_);
        alive.reserve(observers_.size());
        for (const auto& entry : observers_) {
            if (auto observer = entry.lock()) {
                alive.push_back(std::move(observer));
            }
        }
    }
    for (const auto& observer : alive) {
        if (*observer) {
            (*observer)();
        }
    }
}

std::shared_ptr<Clock> Clock::shared() {
    auto& slot = sharedSlot();
    std::lock_guard<std::mutex> lock(slot.mutex);
    return slot.clock;
}

void Clock::setShared(std::shared_ptr<Clock> clock) {
    auto& slot = sharedSlot();
    std::shared_ptr<Clock> previous;
    {
        std::lock_guard<std::mutex> lock(slot.mutex);
        previous = std::move(slot.clock);
        slot.clock = clock ? std::move(clock) : slot.system;
    }
    // `previous` may be the last reference: it is released here, outside the lock.
}

Clock::Duration Clock::seconds(double seconds) {
    if (std::isnan(seconds)) {
        return Duration::zero();
    }
    constexpr double maxSeconds = static_cast<double>(std::numeric_limits<Duration::rep>::max()) / 1e9;
    if (seconds >= maxSeconds) {
        return Duration::max();
    }
    if (seconds <= -maxSeconds) {
        return Duration::min();
    }
    return Duration(static_cast<Duration::rep>(std::llround(seconds * 1e9)));
}

Clock::TimePoint Clock::distantFuture() {
    // About 146 years after the clock's origin: far beyond any deadline, with room left so that
    // adding an interval to it cannot overflow.
    return TimePoint(Duration(std::numeric_limits<Duration::rep>::max() / 2));
}

Clock::TimePoint Clock::deadline(TimePoint from, Duration delay) {
    const TimePoint far = distantFuture();
    if (from >= far) {
        return far;
    }
    if (delay >= far - from) {
        return far;
    }
    return from + delay;
}

Clock::TimePoint SystemClock::now() const {
    return std::chrono::time_point_cast<Duration>(std::chrono::steady_clock::now());
}

Clock::WallTimePoint SystemClock::wallNow() const {
    return std::chrono::time_point_cast<Duration>(std::chrono::system_clock::now());
}

ManualClock::ManualClock(WallTimePoint wallStart) : wallStart_(wallStart) {}

Clock::TimePoint ManualClock::now() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return TimePoint(elapsed_);
}

Clock::WallTimePoint ManualClock::wallNow() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return wallStart_ + elapsed_;
}

void ManualClock::advance(Duration by) {
    if (by < Duration::zero()) {
        by = Duration::zero();  // a monotonic clock never goes back
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const Duration room = Duration::max() - elapsed_;
        elapsed_ += by > room ? room : by;
    }
    // The deadline scheduler and the main loop observe the clock: due delayed blocks and dispatch
    // timers are handed to their queues here, before `advance` returns.
    notifyObservers();
}

}  // namespace solen::platform
