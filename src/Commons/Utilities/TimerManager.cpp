#include "Commons/Utilities/TimerManager.h"

#include "Commons/Utilities/Logger.h"
#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/UI/Application.h"

#include <algorithm>
#include <chrono>

namespace solen {

using platform::Application;
using platform::Clock;
using platform::MainLoop;
using platform::NotificationCenter;
using platform::RunLoopTimer;

TimerManager::TimerManager(double interval, bool backgroundControl, Callback callback)
    : backgroundControl_(backgroundControl), callback_(std::move(callback)), interval_(interval) {}

std::shared_ptr<TimerManager> TimerManager::create(double interval, bool backgroundControl, Callback callback) {
    return std::shared_ptr<TimerManager>(new TimerManager(interval, backgroundControl, std::move(callback)));
}

TimerManager::~TimerManager() {
    if (timer_) {
        timer_->invalidate();
    }
    if (notificationsRegistered_) {
        NotificationCenter::defaultCenter().removeObserver(this);
    }
}

void TimerManager::start() {
    MainLoop& loop = MainLoop::shared();
    if (!loop.isMainThread()) {
        const std::shared_ptr<TimerManager> self = shared_from_this();
        loop.sync([self] { self->start(); });
        return;
    }

    bool registerNow = false;
    {
        std::lock_guard lock(mutex_);
        registerNow = !notificationsRegistered_;
        notificationsRegistered_ = true;
    }
    if (registerNow) {
        const std::weak_ptr<TimerManager> weakSelf = weak_from_this();
        NotificationCenter& center = NotificationCenter::defaultCenter();
        center.addObserver(shared_from_this(), Application::didEnterBackgroundNotification,
                           [weakSelf](const platform::Notification&) {
                               if (const auto self = weakSelf.lock()) {
                                   self->processBackround();
                               }
                           });
        center.addObserver(shared_from_this(), Application::willEnterForegroundNotification,
                           [weakSelf](const platform::Notification&) {
                               if (const auto self = weakSelf.lock()) {
                                   self->processForeground();
                               }
                           });
    }

    std::shared_ptr<RunLoopTimer> old;
    std::shared_ptr<RunLoopTimer> armed;
    {
        std::lock_guard lock(mutex_);
        old = std::move(timer_);
        const std::weak_ptr<TimerManager> weakSelf = weak_from_this();
        clock_ = Clock::shared();
        armed = RunLoopTimer::create(Clock::seconds(interval_), false, [weakSelf](RunLoopTimer&) {
            if (const auto self = weakSelf.lock()) {
                self->timerHit();
            }
        });
        timer_ = armed;
        pausedByBackground_ = false;
    }
    if (old) {
        old->invalidate();
    }
    loop.add(armed, MainLoop::commonModes);
}

bool TimerManager::isRunning() const { return timer_ && timer_->isValid(); }

void TimerManager::stopTimer() {
    std::shared_ptr<RunLoopTimer> stopped;
    {
        std::lock_guard lock(mutex_);
        if (isRunning()) {
            const Clock::Duration left = timer_->fireDate() - clock_->now();
            interval_ = std::max(std::chrono::duration<double>(left).count(), 0.0);
        }
        stopped = std::move(timer_);
    }
    if (stopped) {
        stopped->invalidate();
    }
}

void TimerManager::pause() {
    {
        std::lock_guard lock(mutex_);
        pausedByBackground_ = false;
    }
    stopTimer();
}

void TimerManager::terminateTimer() {
    pause();
    bool remove = false;
    {
        std::lock_guard lock(mutex_);
        remove = notificationsRegistered_;
        notificationsRegistered_ = false;
    }
    if (remove) {
        NotificationCenter::defaultCenter().removeObserver(this);
    }
}

void TimerManager::timerHit() {
    const std::shared_ptr<TimerManager> keep = shared_from_this();
    if (callback_) {
        callback_(*this);
    }
}

void TimerManager::processBackround() {
    {
        std::lock_guard lock(mutex_);
        if (isRunning()) {
            pausedByBackground_ = true;
        }
    }
    stopTimer();
    Logger::debug("TimerManager didEnterBackgroundNotification");
}

void TimerManager::processForeground() {
    bool restart = false;
    {
        std::lock_guard lock(mutex_);
        restart = pausedByBackground_;
        pausedByBackground_ = false;
    }
    if (restart) {
        start();
    }
    Logger::debug("TimerManager willEnterForegroundNotification");
}

double TimerManager::interval() const {
    std::lock_guard lock(mutex_);
    return interval_;
}

std::shared_ptr<RunLoopTimer> TimerManager::timer() const {
    std::lock_guard lock(mutex_);
    return timer_;
}

bool TimerManager::notificationsRegistered() const {
    std::lock_guard lock(mutex_);
    return notificationsRegistered_;
}

}  // namespace solen
