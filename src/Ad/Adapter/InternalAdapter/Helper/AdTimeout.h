#pragma once

#include "Commons/Utilities/TimeKeeper.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace solen {

// The body that the load and render timers share: one replaceable one-shot `TimeKeeper` whose
// expiry hops to the main thread. There it runs only while the owner is alive and only for the
// latest start that was not killed since, so an expiry already on its way when the timer was
// killed or restarted does nothing. Main thread only (the keeper's handler itself runs on the
// global queue and only posts).
class AdTimeout {
public:
    // The debug lines of one timer kind.
    struct Texts {
        std::string_view created;    // followed by the interval in seconds
        std::string_view expired;
        std::string_view suspended;
    };
    static constexpr Texts loadTexts{"LoadTimer has been created with interval ", "adLoadTimer timeoutFailure",
                                     "LoadTimer suspended"};
    static constexpr Texts renderTexts{"RenderTimer has been created with interval ",
                                       "adRenderTimer timeoutFailure", "adRenderTimer suspended"};

    explicit AdTimeout(Texts texts) : texts_(texts) {}
    AdTimeout(const AdTimeout&) = delete;
    AdTimeout& operator=(const AdTimeout&) = delete;

    const std::shared_ptr<TimeKeeper>& keeper() const { return keeper_; }

    // A timer of `milliseconds` / 1000 seconds, its deadline counted from now, made ahead for a
    // `start` (the costly part of a start, which any thread may do).
    static std::shared_ptr<TimeKeeper> make(double milliseconds);
    // Kills a running timer, then makes (or takes `made`, from `make` with the same milliseconds)
    // and resumes one of `milliseconds` / 1000 seconds and logs it. When it expires: on the main
    // thread, if `owner` is alive and this start is still the current one, logs the expiry line
    // and runs `onExpiry`.
    void start(double milliseconds, std::weak_ptr<const void> owner, std::function<void()> onExpiry,
               std::shared_ptr<TimeKeeper> made = nullptr);
    // Suspends the timer if there is one, and logs that; nothing otherwise.
    void kill();
    // `kill` in two steps, for a caller with more urgent work in between: `disarm` makes an expiry
    // do nothing and logs as `kill` does; `suspendDisarmed` then suspends the timer (whose state
    // reads resumed until then). A `kill` or `start` in between suspends it at once.
    void disarm();
    void suspendDisarmed();

private:
    Texts texts_;
    std::shared_ptr<TimeKeeper> keeper_;
    std::shared_ptr<TimeKeeper> disarmed_;  // disarmed and still to be suspended
    std::uint64_t generation_ = 0;  // bumped by every start and kill
};

}  // namespace solen
