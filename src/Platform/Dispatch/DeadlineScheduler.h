#pragma once

#include "Platform/Dispatch/Clock.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace solen::platform {

// Calls actions when their deadline has passed on the clock they were scheduled on (internal to
// the dispatch stand-ins; serves asyncAfter and dispatch timers). Deadlines of a real clock are
// waited for on one timer thread. Deadlines of a manual clock are handled on the thread that
// advances it, before `advance` returns. Actions run outside the scheduler's lock, in deadline
// order per clock; an action must not block for long (it normally submits a block to a queue).
class DeadlineScheduler {
public:
    using Action = std::function<void()>;
    using EntryId = std::uint64_t;

    static DeadlineScheduler& shared();

    // Schedules `action` for `deadline` on `clock`. A deadline that has already passed is still
    // handled asynchronously, on the timer thread, so callers that want it handled at once check
    // the clock themselves. The id of such an entry cannot cancel it.
    EntryId schedule(const std::shared_ptr<Clock>& clock, Clock::TimePoint deadline, Action action);
    // Removes a scheduled action; false when it has already been taken to run or never existed.
    bool cancel(EntryId id);

private:
    DeadlineScheduler() = default;

    struct Key {
        Clock::TimePoint deadline;
        EntryId id;
        bool operator<(const Key& other) const {
            return deadline != other.deadline ? deadline < other.deadline : id < other.id;
        }
    };
    struct ClockEntries {
        std::shared_ptr<Clock> clock;
        std::shared_ptr<Clock::ObserverToken> observer;  // manual clocks only
        std::map<Key, Action> actions;
    };

    void startThreadLocked();
    // Whether the waiting timer thread has to look again for a new entry of `clock` due at
    // `deadline` (under the lock).
    bool threadMustRescanFor(const Clock& clock, Clock::TimePoint deadline) const;
    void threadLoop();
    void manualClockMoved(const Clock* clock);
    // Moves the actions of `clock` that are due into `due` (the caller drops an emptied group).
    void takeDueLocked(const Clock* clock, std::multimap<Key, Action>& due);

    std::mutex mutex_;
    std::condition_variable changed_;
    bool threadStarted_ = false;
    EntryId nextId_ = 1;
    std::unordered_map<const Clock*, ClockEntries> clocks_;
    std::unordered_map<EntryId, std::pair<const Clock*, Key>> index_;
    std::deque<Action> immediate_;  // manual-clock entries already due when scheduled
    bool threadWaiting_ = false;     // the timer thread waits on `changed_`
    std::optional<std::chrono::steady_clock::time_point> threadWakesAt_;  // none: only a change wakes it
};

}  // namespace solen::platform
