#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace solen::platform {

// Source of time for every timer, run-loop timer and delayed dispatch of the SDK.
// `now()` is monotonic and drives deadlines; `wallNow()` is the calendar time used for
// dates (log lines, time stamps sent to servers).
class Clock {
public:
    using Duration = std::chrono::nanoseconds;
    using TimePoint = std::chrono::time_point<std::chrono::steady_clock, Duration>;
    using WallTimePoint = std::chrono::time_point<std::chrono::system_clock, Duration>;

    virtual ~Clock() = default;

    virtual TimePoint now() const = 0;
    virtual WallTimePoint wallNow() const = 0;

    // A manual clock never moves by itself: waiters must not sleep on real time for it.
    virtual bool isManual() const { return false; }

    // Observers are told after the clock has moved (only a manual clock moves by hand).
    // The returned token removes the observer when destroyed.
    using Observer = std::function<void()>;
    class ObserverToken;
    virtual std::shared_ptr<ObserverToken> addObserver(Observer observer);

    // The clock every component reads. Defaults to the system clock.
    static std::shared_ptr<Clock> shared();
    // Replaces the shared clock (tests). Passing nullptr restores the system clock.
    static void setShared(std::shared_ptr<Clock> clock);

    // Converts seconds (possibly fractional) into a duration, saturating instead of overflowing.
    static Duration seconds(double seconds);
    // A time point far in the future, used as the "distant future" fire date.
    static TimePoint distantFuture();
    // `from + delay`, saturating at distantFuture() instead of overflowing.
    static TimePoint deadline(TimePoint from, Duration delay);

protected:
    void notifyObservers();

private:
    std::mutex observersMutex_;
    std::vector<std::weak_ptr<Observer>> observers_;
};

class Clock::ObserverToken {
public:
    explicit ObserverToken(std::shared_ptr<Observer> observer) : observer_(std::move(observer)) {}
private:
    std::shared_ptr<Observer> observer_;
};

// The real clock: steady_clock and system_clock.
class SystemClock final : public Clock {
public:
    TimePoint now() const override;
    WallTimePoint wallNow() const override;
};

// A clock that only moves when `advance` is called (its monotonic time starts at zero). Moving it
// synchronously hands every due delayed block and dispatch timer to its queue before returning;
// run-loop timers become due and fire on the next turn of the main loop.
class ManualClock final : public Clock {
public:
    explicit ManualClock(WallTimePoint wallStart = WallTimePoint(std::chrono::seconds(1'800'000'000)));

    TimePoint now() const override;
    WallTimePoint wallNow() const override;
    bool isManual() const override { return true; }

    void advance(Duration by);
    void advanceSeconds(double seconds) { advance(Clock::seconds(seconds)); }

private:
    mutable std::mutex mutex_;
    Duration elapsed_{0};
    WallTimePoint wallStart_;
};

}  // namespace solen::platform
