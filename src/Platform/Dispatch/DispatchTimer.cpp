#include "Platform/Dispatch/DispatchTimer.h"

#include "Commons/Utilities/Logger.h"
#include "Platform/Dispatch/BlockExecution.h"
#include "Platform/Dispatch/DeadlineScheduler.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <string>
#include <thread>

namespace solen::platform {
namespace {

// Repeat intervals below a tenth of a millisecond are raised to it (a zero interval would fire
// without pause).
constexpr Clock::Duration kMinimumRepeatInterval = std::chrono::microseconds(100);

}  // namespace

// State of one timer, shared with the deadline scheduler (weakly) and with handler blocks waiting
// on the target queue (strongly). At most one handler block is queued or running at any time:
// firings that come while one is queued merge into it, firings that come while one runs are
// delivered once when it returns. So a slow handler never builds up a backlog.
struct DispatchTimer::Impl : std::enable_shared_from_this<DispatchTimer::Impl> {
    explicit Impl(std::shared_ptr<DispatchQueue> target) : queue(std::move(target)) {}

    std::mutex mutex;
    std::condition_variable handlerReturned;
    const std::shared_ptr<DispatchQueue> queue;
    std::shared_ptr<const DispatchBlock> handler;
    unsigned suspendCount = 1;  // created suspended
    bool cancelled = false;

    bool scheduled = false;  // a deadline is set and has not fired yet (one-shot) or repeats
    std::shared_ptr<Clock> clock;
    Clock::TimePoint deadline;
    std::optional<Clock::Duration> interval;
    DeadlineScheduler::EntryId entry = 0;  // the scheduler's entry while resumed and waiting
    std::uint64_t epoch = 0;                // tells stale scheduler calls apart

    bool firePending = false;  // a firing waits for resume, or for the running handler to end
    bool handlerQueued = false;
    bool handlerRunning = false;
    std::thread::id handlerThread;

    void disarmLocked() {
        if (entry != 0) {
            DeadlineScheduler::shared().cancel(entry);
            entry = 0;
        }
        ++epoch;
    }

    // Waits for the deadline when the timer may fire; fires at once when it has already passed.
    void armLocked() {
        if (!scheduled || cancelled || suspendCount > 0 || entry != 0) {
            return;
        }
        const Clock::TimePoint now = clock->now();
        if (deadline <= now) {
            deadlineReachedLocked(now);
            if (!scheduled) {
                return;
            }
        }
        const std::uint64_t armedEpoch = ++epoch;
        std::weak_ptr<Impl> weak = weak_from_this();
        entry = DeadlineScheduler::shared().schedule(clock, deadline, [weak, armedEpoch] {
            if (auto self = weak.lock()) {
                self->deadlinePassed(armedEpoch);
            }
        });
    }

    void deadlinePassed(std::uint64_t armedEpoch) {
        std::lock_guard<std::mutex> lock(mutex);
        if (armedEpoch != epoch || entry == 0) {
            return;  // disarmed or re-armed meanwhile
        }
        entry = 0;
        armLocked();
    }

    // The deadline has passed at `now`: moves a repeating deadline past `now` (missed firings
    // merge into this one) and delivers the firing.
    void deadlineReachedLocked(Clock::TimePoint now) {
        if (interval) {
            const auto missed = (now - deadline) / *interval;
            deadline = Clock::deadline(deadline, *interval * (missed + 1));
        } else {
            scheduled = false;
        }
        deliverLocked();
    }

    void deliverLocked() {
        if (cancelled) {
            return;
        }
        if (suspendCount > 0 || handlerRunning) {
            firePending = true;
            return;
        }
        if (handlerQueued) {
            return;
        }
        handlerQueued = true;
        queue->async([self = shared_from_this()] { self->runHandler(); });
    }

    void runHandler() {
        std::unique_lock<std::mutex> lock(mutex);
        handlerQueued = false;
        if (cancelled) {
            return;
        }
        if (suspendCount > 0) {
            firePending = true;  // held until resume
            return;
        }
        handlerRunning = true;
        handlerThread = std::this_thread::get_id();
        const auto current = handler;
        lock.unlock();
        if (current && *current) {
            BlockExecution::catching(*current, "a dispatch timer handler");
        }
        lock.lock();
        handlerRunning = false;
        handlerThread = std::thread::id();
        handlerReturned.notify_all();
        if (firePending && suspendCount == 0) {
            firePending = false;
            deliverLocked();
        }
    }

    void cancel() {
        std::shared_ptr<const DispatchBlock> released;
        std::unique_lock<std::mutex> lock(mutex);
        if (!cancelled) {
            cancelled = true;
            scheduled = false;
            firePending = false;
            disarmLocked();
            released = std::move(handler);
        }
        // A handler running on another thread finishes before cancel returns; one running on
        // this thread is the caller itself.
        handlerReturned.wait(lock, [this] {
            return !handlerRunning || handlerThread == std::this_thread::get_id();
        });
        lock.unlock();
        released.reset();
    }
};

std::shared_ptr<DispatchTimer> DispatchTimer::create(std::shared_ptr<DispatchQueue> queue) {
    std::shared_ptr<DispatchTimer> timer(new DispatchTimer());
    timer->impl_ = std::make_shared<Impl>(queue ? std::move(queue) : DispatchQueue::global());
    return timer;
}

DispatchTimer::~DispatchTimer() {
    if (impl_) {
        impl_->cancel();
    }
}

void DispatchTimer::schedule(Clock::Duration deadlineFromNow, std::optional<Clock::Duration> repeating) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    if (impl_->cancelled) {
        return;
    }
    impl_->disarmLocked();
    impl_->clock = Clock::shared();
    impl_->deadline = Clock::deadline(impl_->clock->now(), std::max(deadlineFromNow, Clock::Duration::zero()));
    impl_->interval = repeating ? std::optional(std::clamp(*repeating, kMinimumRepeatInterval,
                                                            Clock::distantFuture().time_since_epoch()))
                                : std::nullopt;
    impl_->scheduled = true;
    impl_->firePending = false;
    impl_->armLocked();
}

void DispatchTimer::setEventHandler(DispatchBlock handler) {
    std::shared_ptr<const DispatchBlock> replaced =
        handler ? std::make_shared<const DispatchBlock>(std::move(handler)) : nullptr;
    {
        std::lock_guard<std::mutex> lock(impl_->mutex);
        if (!impl_->cancelled) {
            std::swap(replaced, impl_->handler);
        }
    }
    // The previous handler (or the refused one) is released here, outside the lock.
}

void DispatchTimer::resume() {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    if (impl_->suspendCount == 0) {
        Logger::error("A dispatch timer was resumed more often than it was suspended");
        return;
    }
    if (--impl_->suspendCount > 0 || impl_->cancelled) {
        return;
    }
    if (impl_->firePending && !impl_->handlerRunning) {
        impl_->firePending = false;
        impl_->deliverLocked();
    }
    impl_->armLocked();
}

void DispatchTimer::suspend() {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    if (++impl_->suspendCount == 1) {
        impl_->disarmLocked();
    }
}

void DispatchTimer::cancel() { impl_->cancel(); }

bool DispatchTimer::isCancelled() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->cancelled;
}

}  // namespace solen::platform
