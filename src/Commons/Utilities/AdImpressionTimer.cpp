#include "Commons/Utilities/AdImpressionTimer.h"

#include "Commons/Utilities/ViewabilityManager.h"
#include "Platform/Dispatch/Clock.h"
#include "Platform/Dispatch/MainLoop.h"
#include "Platform/UI/Application.h"


namespace solen {

using platform::View;

AdImpressionTimer::AdImpressionTimer(double impressionTime, ViewVisibilityTrackingMode trackingMode, Completion completion)
    : impressionTime_(impressionTime), trackingMode_(trackingMode), completion_(std::move(completion)) {}

std::shared_ptr<AdImpressionTimer> AdImpressionTimer::create(double impressionTime, ViewVisibilityTrackingMode trackingMode,
                                                             Completion completion) {
    std::shared_ptr<AdImpressionTimer> impression(new AdImpressionTimer(impressionTime, trackingMode, std::move(completion)));
    std::weak_ptr<AdImpressionTimer> weakImpression = impression;
    impression->timer_ = ResumableTimer::create(sampleInterval, true, platform::MainLoop::commonModes,
                                                [weakImpression](ResumableTimer&) {
                                                    if (const auto self = weakImpression.lock()) {
                                                        self->sample();
                                                    }
                                                });
    return impression;
}

std::shared_ptr<AdImpressionTimer> AdImpressionTimer::createWithRequiredViewVisibilityPixels(double impressionTime,
                                                                                            double pixels,
                                                                                            Completion completion) {
    return create(impressionTime, ViewVisibilityTrackingMode::pixels(pixels), std::move(completion));
}

std::shared_ptr<AdImpressionTimer> AdImpressionTimer::createWithRequiredViewVisibilityPercentage(double impressionTime,
                                                                                                double percentage,
                                                                                                Completion completion) {
    return create(impressionTime, ViewVisibilityTrackingMode::percentage(percentage), std::move(completion));
}

void AdImpressionTimer::startTracking(const std::shared_ptr<View>& view) {
    std::lock_guard lock(mutex_);
    if (!timer_ || timer_->state().kind != ResumableTimer::State::Case::ready) {
        return;
    }
    view_ = view;
    timer_->scheduleNow();
}

void AdImpressionTimer::sample() {
    const std::shared_ptr<AdImpressionTimer> keep = shared_from_this();
    std::shared_ptr<View> view;
    VisibilityCheck visibilityCheck;
    ActiveCheck activeCheck;
    {
        std::lock_guard lock(mutex_);
        view = view_.lock();
        if (!view) {
            if (timer_) {
                timer_->invalidate();
                timer_.reset();
            }
            return;
        }
        visibilityCheck = visibilityCheck_;
        activeCheck = activeCheck_;
    }

    // The checks run without the lock: they are the owner's code.
    const bool visible = visibilityCheck ? visibilityCheck(*view, trackingMode_)
                                         : ViewabilityManager::meetsVisibility(*view, trackingMode_);
    const bool active = activeCheck ? activeCheck()
                                    : platform::Application::shared().applicationState() ==
                                          platform::Application::State::active;

    {
        std::lock_guard lock(mutex_);
        if (!(visible && active)) {
            firstVisibilityTimestamp_.reset();
            return;
        }
        const platform::Clock::TimePoint now = platform::Clock::shared()->now();
        if (!firstVisibilityTimestamp_) {
            firstVisibilityTimestamp_ = now;
            return;
        }
        if (now - *firstVisibilityTimestamp_ < platform::Clock::seconds(impressionTime_)) {
            return;
        }
        // Fire, once: only while the sampling timer is still counting.
        if (!timer_ || !timer_->isCountdownActive()) {
            return;
        }
        timer_->invalidate();
        timer_.reset();
        impressionFired_ = true;
    }
    if (completion_) {
        completion_(view);
    }
}

bool AdImpressionTimer::isImpressionFired() const {
    std::lock_guard lock(mutex_);
    return impressionFired_;
}

void AdImpressionTimer::setImpressionFired(bool fired) {
    std::lock_guard lock(mutex_);
    impressionFired_ = fired;
}

double AdImpressionTimer::pixelsRequiredForViewVisibility() const {
    return trackingMode_.kind == ViewVisibilityTrackingMode::Kind::pixels ? trackingMode_.value : 0;
}

double AdImpressionTimer::percentageRequiredForViewVisibility() const {
    return trackingMode_.kind == ViewVisibilityTrackingMode::Kind::percentage ? trackingMode_.value : 0;
}

std::shared_ptr<ResumableTimer> AdImpressionTimer::timer() const {
    std::lock_guard lock(mutex_);
    return timer_;
}

void AdImpressionTimer::setVisibilityCheck(VisibilityCheck check) {
    std::lock_guard lock(mutex_);
    visibilityCheck_ = std::move(check);
}

void AdImpressionTimer::setActiveCheck(ActiveCheck check) {
    std::lock_guard lock(mutex_);
    activeCheck_ = std::move(check);
}

}  // namespace solen
