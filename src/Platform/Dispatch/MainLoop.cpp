#include "Platform/Dispatch/MainLoop.h"

#include "Commons/Utilities/Logger.h"
#include "Platform/Dispatch/BlockExecution.h"
#include "Platform/Dispatch/BriefSpin.h"
#include "Platform/Dispatch/RunLoopTimer.h"

#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

namespace solen::platform {
namespace {

pid_t currentThreadId() {
    thread_local const pid_t id = ::gettid();
    return id;
}

using SteadyTime = std::chrono::steady_clock::time_point;

constexpr auto kPredicatePoll = std::chrono::milliseconds(1);

}  // namespace

// The loop's state may be made by another library's static initialiser before the mode names
// below exist, so it starts from this literal rather than from `defaultMode`.
constexpr const char* kDefaultModeName = "kCFRunLoopDefaultMode";

const std::string& MainLoop::defaultMode = *new std::string(kDefaultModeName);
const std::string& MainLoop::commonModes = *new std::string("kCFRunLoopCommonModes");
const std::string& MainLoop::trackingMode = *new std::string("UITrackingRunLoopMode");

struct MainLoop::Impl {
    struct TimerEntry {
        std::shared_ptr<RunLoopTimer> timer;
        std::string mode;
    };
    struct ClockWatch {
        std::shared_ptr<Clock> clock;
        std::shared_ptr<Clock::ObserverToken> token;
    };

    // The process's initial thread has the process id as its thread id.
    std::atomic<pid_t> mainThread{::getpid()};

    mutable std::mutex mutex;
    std::condition_variable wakeup;
    std::deque<DispatchBlock> blocks;
    // Bumped (under the mutex) whenever something may have become due; read without it by the
    // brief spin before the loop sleeps.
    std::atomic<std::uint64_t> generation{0};
    bool stopRequested = false;
    std::string mode = kDefaultModeName;
    std::vector<TimerEntry> timers;
    // The size of `timers`, changed with it under the mutex and read without it: a loop without
    // run-loop timers (the usual case) does not take the lock to look for due ones.
    std::atomic<std::size_t> timerCount{0};
    std::unordered_map<const Clock*, ClockWatch> clockWatches;  // manual clocks of the timers

    void wake() {
        {
            std::lock_guard<std::mutex> lock(mutex);
            ++generation;
        }
        wakeup.notify_all();
    }

    std::uint64_t currentGeneration() const { return generation.load(std::memory_order_acquire); }

    static bool runsIn(const std::string& timerMode, const std::string& loopMode) {
        return timerMode == loopMode || timerMode == MainLoop::commonModes;
    }

    // Timers of the current mode, each once.
    std::vector<std::shared_ptr<RunLoopTimer>> timersOfCurrentMode() const {
        if (timerCount.load(std::memory_order_acquire) == 0) {
            return {};
        }
        std::lock_guard<std::mutex> lock(mutex);
        std::vector<std::shared_ptr<RunLoopTimer>> result;
        for (const auto& entry : timers) {
            if (runsIn(entry.mode, mode) &&
                std::find(result.begin(), result.end(), entry.timer) == result.end()) {
                result.push_back(entry.timer);
            }
        }
        return result;
    }

    // Fires the due timers of the current mode, earliest fire date first.
    std::size_t runDueTimers() {
        std::vector<std::pair<Clock::TimePoint, std::shared_ptr<RunLoopTimer>>> due;
        for (auto& timer : timersOfCurrentMode()) {
            const Clock::TimePoint date = timer->fireDate();
            if (timer->isValid() && date <= timer->clock()->now()) {
                due.emplace_back(date, std::move(timer));
            }
        }
        std::stable_sort(due.begin(), due.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::size_t fired = 0;
        for (const auto& [date, timer] : due) {
            if (timer->fireIfDue()) {
                ++fired;
            }
        }
        if (!due.empty()) {
            pruneTimers();
        }
        return fired;
    }

    void pruneTimers() {
        std::vector<TimerEntry> dropped;
        std::vector<ClockWatch> droppedWatches;
        std::lock_guard<std::mutex> lock(mutex);
        for (auto it = timers.begin(); it != timers.end();) {
            if (!it->timer->isValid()) {
                dropped.push_back(std::move(*it));
                it = timers.erase(it);
            } else {
                ++it;
            }
        }
        timerCount.store(timers.size(), std::memory_order_release);
        for (auto it = clockWatches.begin(); it != clockWatches.end();) {
            const bool used = std::any_of(timers.begin(), timers.end(), [&](const TimerEntry& entry) {
                return entry.timer->clock().get() == it->first;
            });
            if (used) {
                ++it;
            } else {
                droppedWatches.push_back(std::move(it->second));
                it = clockWatches.erase(it);
            }
        }
    }

    // Runs the oldest queued block; false when there was none.
    bool runOneBlock() {
        DispatchBlock block;
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (blocks.empty()) {
                return false;
            }
            block = std::move(blocks.front());
            blocks.pop_front();
        }
        BlockExecution::run(*DispatchQueue::main(), block);
        return true;
    }

    std::size_t queuedBlocks() const {
        std::lock_guard<std::mutex> lock(mutex);
        return blocks.size();
    }

    // The real time at which the next timer of a real clock becomes due, if any. Timers of a
    // manual clock wake the loop through the clock's observer instead.
    std::optional<SteadyTime> nextTimerWake() const {
        std::optional<SteadyTime> next;
        for (const auto& timer : timersOfCurrentMode()) {
            const Clock::TimePoint date = timer->fireDate();
            if (!timer->isValid() || timer->clock()->isManual() || date >= Clock::distantFuture()) {
                continue;
            }
            const auto left = std::max(date - timer->clock()->now(), Clock::Duration::zero());
            const auto capped = std::min<Clock::Duration>(left, std::chrono::hours(24));
            const SteadyTime at = std::chrono::steady_clock::now() +
                                  std::chrono::duration_cast<std::chrono::steady_clock::duration>(capped);
            if (!next || at < *next) {
                next = at;
            }
        }
        return next;
    }

    // Sleeps until something may be due: a block, a stop, a wake-up after `seen`, the next timer
    // of a real clock, or `limit`.
    void waitForWork(std::uint64_t seen, std::optional<SteadyTime> limit) {
        // An answer to a hop usually follows within microseconds: look for it briefly before
        // parking, which spares the futex wake-up on both sides.
        if (spinBriefly([&] { return generation.load(std::memory_order_acquire) != seen; })) {
            return;
        }
        std::optional<SteadyTime> until = nextTimerWake();
        if (limit && (!until || *limit < *until)) {
            until = limit;
        }
        std::unique_lock<std::mutex> lock(mutex);
        auto ready = [&] { return generation != seen || !blocks.empty() || stopRequested; };
        if (until) {
            wakeup.wait_until(lock, *until, ready);
        } else {
            wakeup.wait(lock, ready);
        }
    }

    bool takeStop() {
        std::lock_guard<std::mutex> lock(mutex);
        const bool requested = stopRequested;
        stopRequested = false;
        return requested;
    }

    bool stopPending() const {
        std::lock_guard<std::mutex> lock(mutex);
        return stopRequested;
    }
};

namespace {

// Binds the main thread when the library is loaded.
[[maybe_unused]] const bool gBoundAtLoad = [] {
    MainLoop::shared();
    return true;
}();

}  // namespace

MainLoop::MainLoop() : impl_(std::make_unique<Impl>()) {}

MainLoop& MainLoop::shared() {
    // Never destroyed: other threads may hop to the main queue while the process exits.
    static auto* loop = new MainLoop;
    return *loop;
}

void MainLoop::bindToCurrentThread() { impl_->mainThread.store(currentThreadId()); }

bool MainLoop::isMainThread() const { return impl_->mainThread.load() == currentThreadId(); }

void MainLoop::async(DispatchBlock block) {
    if (!block) {
        return;
    }
    {
        std::lock_guard<std::mutex> lock(impl_->mutex);
        impl_->blocks.push_back(std::move(block));
        ++impl_->generation;
    }
    impl_->wakeup.notify_all();
}

void MainLoop::sync(const DispatchBlock& block) {
    if (!block) {
        return;
    }
    if (isMainThread()) {
        BlockExecution::run(*DispatchQueue::main(), block);
        return;
    }
    std::mutex doneMutex;
    std::condition_variable doneChanged;
    bool done = false;
    async([&] {
        BlockExecution::run(*DispatchQueue::main(), block);
        // Notified under the lock: the waiter's frame (and these objects) may go away as soon as
        // it sees `done`.
        std::lock_guard<std::mutex> lock(doneMutex);
        done = true;
        doneChanged.notify_all();
    });
    std::unique_lock<std::mutex> lock(doneMutex);
    doneChanged.wait(lock, [&] { return done; });
}

void MainLoop::run() {
    if (!isMainThread()) {
        Logger::applicationError("The main loop can only run on the main thread");
        return;
    }
    for (;;) {
        if (impl_->takeStop()) {
            return;
        }
        const std::uint64_t seen = impl_->currentGeneration();
        bool ran = impl_->runDueTimers() > 0;
        for (std::size_t queued = impl_->queuedBlocks(); queued > 0 && !impl_->stopPending(); --queued) {
            ran = impl_->runOneBlock() || ran;
        }
        if (!ran) {
            impl_->waitForWork(seen, std::nullopt);
        }
    }
}

void MainLoop::stop() {
    {
        std::lock_guard<std::mutex> lock(impl_->mutex);
        impl_->stopRequested = true;
    }
    impl_->wakeup.notify_all();
}

bool MainLoop::runUntil(const std::function<bool()>& predicate, std::chrono::milliseconds timeout) {
    if (!predicate) {
        return false;
    }
    if (!isMainThread()) {
        Logger::applicationError("The main loop can only run on the main thread");
        return predicate();
    }
    const SteadyTime limit = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (predicate()) {
            return true;
        }
        const std::uint64_t seen = impl_->currentGeneration();
        bool ran = false;
        if (impl_->runDueTimers() > 0) {
            ran = true;
            if (predicate()) {
                return true;
            }
        }
        for (std::size_t queued = impl_->queuedBlocks(); queued > 0; --queued) {
            if (!impl_->runOneBlock()) {
                break;
            }
            ran = true;
            if (predicate()) {
                return true;
            }
        }
        if (std::chrono::steady_clock::now() >= limit) {
            return predicate();
        }
        if (!ran) {
            // The predicate may turn true on another thread without any main-loop event: look
            // at it again at least every millisecond.
            impl_->waitForWork(seen, std::min(limit, std::chrono::steady_clock::now() + kPredicatePoll));
        }
    }
}

std::size_t MainLoop::runUntilIdle() {
    if (!isMainThread()) {
        Logger::applicationError("The main loop can only run on the main thread");
        return 0;
    }
    std::size_t total = 0;
    for (;;) {
        std::size_t ran = impl_->runDueTimers();
        while (impl_->runOneBlock()) {
            ++ran;
        }
        if (ran == 0) {
            return total;
        }
        total += ran;
    }
}

std::string MainLoop::currentMode() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->mode;
}

void MainLoop::setCurrentMode(std::string mode) {
    {
        std::lock_guard<std::mutex> lock(impl_->mutex);
        impl_->mode = std::move(mode);
        ++impl_->generation;
    }
    impl_->wakeup.notify_all();
}

void MainLoop::add(const std::shared_ptr<RunLoopTimer>& timer, const std::string& mode) {
    if (!timer || !timer->isValid()) {
        return;
    }
    const auto& clock = timer->clock();
    {
        std::lock_guard<std::mutex> lock(impl_->mutex);
        const bool already = std::any_of(impl_->timers.begin(), impl_->timers.end(), [&](const Impl::TimerEntry& entry) {
            return entry.timer == timer && entry.mode == mode;
        });
        if (!already) {
            impl_->timers.push_back(Impl::TimerEntry{timer, mode});
            impl_->timerCount.store(impl_->timers.size(), std::memory_order_release);
        }
        if (clock->isManual() && !impl_->clockWatches.contains(clock.get())) {
            // Observers only run when the clock moves, never from inside addObserver.
            Impl* impl = impl_.get();
            impl_->clockWatches.emplace(clock.get(),
                                        Impl::ClockWatch{clock, clock->addObserver([impl] { impl->wake(); })});
        }
        ++impl_->generation;
    }
    impl_->wakeup.notify_all();
    // A timer invalidated while it was being added must not stay in the loop.
    if (!timer->isValid()) {
        remove(*timer);
    }
}

void MainLoop::remove(const RunLoopTimer& timer) {
    std::vector<Impl::TimerEntry> dropped;  // released after the lock
    {
        std::lock_guard<std::mutex> lock(impl_->mutex);
        for (auto it = impl_->timers.begin(); it != impl_->timers.end();) {
            if (it->timer.get() == &timer) {
                dropped.push_back(std::move(*it));
                it = impl_->timers.erase(it);
            } else {
                ++it;
            }
        }
        impl_->timerCount.store(impl_->timers.size(), std::memory_order_release);
    }
}

void MainLoop::wakeUp() { impl_->wake(); }

std::size_t MainLoop::pendingCount() const { return impl_->queuedBlocks(); }

}  // namespace solen::platform
