#include "Platform/Dispatch/DeadlineScheduler.h"

#include "Commons/Utilities/Logger.h"
#include "Platform/Dispatch/BlockExecution.h"

#include <deque>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace solen::platform {
namespace {

void runAction(const DeadlineScheduler::Action& action) { BlockExecution::catching(action, "a deadline action"); }

}  // namespace

DeadlineScheduler& DeadlineScheduler::shared() {
    // Never destroyed: the timer thread may still be waiting while the process exits.
    static auto* scheduler = new DeadlineScheduler;
    return *scheduler;
}

DeadlineScheduler::EntryId DeadlineScheduler::schedule(const std::shared_ptr<Clock>& clock,
                                                       Clock::TimePoint deadline, Action action) {
    std::unique_lock<std::mutex> lock(mutex_);
    const EntryId id = nextId_++;
    if (clock->isManual() && deadline <= clock->now()) {
        // The clock moved past the deadline before the entry got here: no advance will come for
        // it, so the timer thread runs it. Entries of a manual clock are otherwise only ever
        // taken by its advance, which keeps "handed over before advance returns" true.
        immediate_.push_back(std::move(action));
        startThreadLocked();
        lock.unlock();
        changed_.notify_all();
        return id;
    }
    const Clock* key = clock.get();
    auto [it, inserted] = clocks_.try_emplace(key);
    ClockEntries& entries = it->second;
    if (inserted) {
        entries.clock = clock;
        if (clock->isManual()) {
            // Registering may not call back into us under our lock: observers only run on advance.
            entries.observer = clock->addObserver([this, key] { manualClockMoved(key); });
        }
    }
    entries.actions.emplace(Key{deadline, id}, std::move(action));
    index_.emplace(id, std::make_pair(key, Key{deadline, id}));
    startThreadLocked();
    const bool wake = threadMustRescanFor(*clock, deadline);
    lock.unlock();
    if (wake) {
        changed_.notify_all();
    }
    return id;
}

bool DeadlineScheduler::cancel(EntryId id) {
    Action removed;  // destroyed after the lock is released (it may own the last queue reference)
    std::shared_ptr<Clock::ObserverToken> observer;
    std::shared_ptr<Clock> clock;
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = index_.find(id);
    if (found == index_.end()) {
        return false;
    }
    auto group = clocks_.find(found->second.first);
    if (group != clocks_.end()) {
        auto action = group->second.actions.find(found->second.second);
        if (action != group->second.actions.end()) {
            removed = std::move(action->second);
            group->second.actions.erase(action);
        }
        if (group->second.actions.empty()) {
            observer = std::move(group->second.observer);
            clock = std::move(group->second.clock);
            clocks_.erase(group);
        }
    }
    index_.erase(found);
    return true;
}

bool DeadlineScheduler::threadMustRescanFor(const Clock& clock, Clock::TimePoint deadline) const {
    if (clock.isManual() || !threadWaiting_) {
        // Manual clocks hand their entries over on advance; a thread that is not waiting scans
        // everything again before it does.
        return false;
    }
    if (!threadWakesAt_) {
        return true;  // it waits for a change only
    }
    // A thread that wakes by the deadline anyway finds the entry then: waking it now would only
    // cost a switch (a load timer started for every line item would wake it twice per load).
    return std::chrono::steady_clock::now() + (deadline - clock.now()) < *threadWakesAt_;
}

void DeadlineScheduler::startThreadLocked() {
    if (threadStarted_) {
        return;
    }
    try {
        std::thread([this] { threadLoop(); }).detach();
        threadStarted_ = true;
    } catch (const std::system_error& error) {
        Logger::error(std::string("Cannot start the timer thread: ") + error.what());
    }
}

void DeadlineScheduler::takeDueLocked(const Clock* clock, std::multimap<Key, Action>& due) {
    auto group = clocks_.find(clock);
    if (group == clocks_.end()) {
        return;
    }
    const Clock::TimePoint now = group->second.clock->now();
    auto& actions = group->second.actions;
    while (!actions.empty() && actions.begin()->first.deadline <= now) {
        auto first = actions.begin();
        index_.erase(first->first.id);
        due.emplace(first->first, std::move(first->second));
        actions.erase(first);
    }
}

void DeadlineScheduler::manualClockMoved(const Clock* clock) {
    std::multimap<Key, Action> due;
    std::shared_ptr<Clock::ObserverToken> observer;
    std::shared_ptr<Clock> keepClock;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        takeDueLocked(clock, due);
        auto group = clocks_.find(clock);
        if (group != clocks_.end() && group->second.actions.empty()) {
            observer = std::move(group->second.observer);
            keepClock = std::move(group->second.clock);
            clocks_.erase(group);
        }
    }
    for (auto& [key, action] : due) {
        runAction(action);
    }
}

void DeadlineScheduler::threadLoop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        std::multimap<Key, Action> due;
        std::vector<std::shared_ptr<Clock>> droppedClocks;
        std::optional<Clock::Duration> wait;
        std::vector<const Clock*> keys;
        keys.reserve(clocks_.size());
        for (const auto& [key, entries] : clocks_) {
            keys.push_back(key);
        }
        for (const Clock* key : keys) {
            auto group = clocks_.find(key);
            if (group->second.clock->isManual()) {
                continue;  // its advances hand its entries over
            }
            takeDueLocked(key, due);
            if (group->second.actions.empty()) {
                droppedClocks.push_back(std::move(group->second.clock));
                clocks_.erase(group);
                continue;
            }
            const Clock::Duration left = group->second.actions.begin()->first.deadline - group->second.clock->now();
            if (!wait || left < *wait) {
                wait = left;
            }
        }
        std::deque<Action> immediate = std::move(immediate_);
        immediate_.clear();
        if (!due.empty() || !droppedClocks.empty() || !immediate.empty()) {
            lock.unlock();
            for (auto& action : immediate) {
                runAction(action);
            }
            immediate.clear();
            for (auto& [key, action] : due) {
                runAction(action);
            }
            due.clear();
            droppedClocks.clear();
            lock.lock();
            continue;
        }
        const EntryId seen = nextId_;
        auto changedSinceScan = [this, seen] { return nextId_ != seen; };
        threadWaiting_ = true;
        if (!wait) {
            threadWakesAt_.reset();
            changed_.wait(lock, changedSinceScan);
        } else {
            // Waits of more than a day are cut short and re-evaluated (no overflow of the
            // condition variable's time arithmetic for distant-future deadlines).
            const auto capped = std::min<Clock::Duration>(*wait, std::chrono::hours(24));
            threadWakesAt_ = std::chrono::steady_clock::now() + capped;
            changed_.wait_until(lock, *threadWakesAt_, changedSinceScan);
        }
        threadWaiting_ = false;
    }
}

}  // namespace solen::platform
