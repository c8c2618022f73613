#pragma once

#include "Commons/Utilities/ResumableTimer.h"
#include "Commons/Utilities/ViewVisibilityTrackingMode.h"
#include "Platform/Dispatch/Clock.h"

#include <solen/ui/View.h>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace solen {

// Decides when an ad view has been seen: samples the view ten times a second and, once it has
// met the visibility threshold, without interruption and while the application is active, for
// the impression time, calls the completion once with the view. Samples and the completion run on
// the main thread; startTracking may be called from any thread.
//
// The count starts at the first visible sample and the impression comes on the first sample at
// least the impression time later (so an impression time of 0 fires on the second visible
// sample). Any sample that is not visible or not active starts the count again. Releasing the
// impression timer, or losing the view, ends the sampling.
class AdImpressionTimer : public std::enable_shared_from_this<AdImpressionTimer> {
public:
    using Completion = std::function<void(const std::shared_ptr<platform::View>& view)>;
    using VisibilityCheck = std::function<bool(const platform::View& view, const ViewVisibilityTrackingMode& mode)>;
    using ActiveCheck = std::function<bool()>;

    static constexpr double sampleInterval = 0.1;

    // `impressionTime` in seconds.
    static std::shared_ptr<AdImpressionTimer> create(double impressionTime, ViewVisibilityTrackingMode trackingMode,
                                                     Completion completion);
    static std::shared_ptr<AdImpressionTimer> createWithRequiredViewVisibilityPixels(double impressionTime, double pixels,
                                                                                    Completion completion);
    static std::shared_ptr<AdImpressionTimer> createWithRequiredViewVisibilityPercentage(double impressionTime,
                                                                                        double percentage,
                                                                                        Completion completion);

    // Starts sampling the view (held weakly). Only the first call counts: later calls, and
    // calls after the impression or after the view was lost, do nothing.
    void startTracking(const std::shared_ptr<platform::View>& view);

    bool isImpressionFired() const;
    void setImpressionFired(bool fired);
    double impressionTime() const { return impressionTime_; }
    const ViewVisibilityTrackingMode& trackingMode() const { return trackingMode_; }
    double pixelsRequiredForViewVisibility() const;
    double percentageRequiredForViewVisibility() const;
    // The sampling timer; none after the impression or once the view is gone.
    std::shared_ptr<ResumableTimer> timer() const;

    // Replaceable tests of one sample. The defaults are the visibility rule of
    // ViewabilityManager::meetsVisibility and "the shared application is active".
    void setVisibilityCheck(VisibilityCheck check);
    void setActiveCheck(ActiveCheck check);

private:
    AdImpressionTimer(double impressionTime, ViewVisibilityTrackingMode trackingMode, Completion completion);
    void sample();

    const double impressionTime_;
    const ViewVisibilityTrackingMode trackingMode_;
    const Completion completion_;
    mutable std::mutex mutex_;
    bool impressionFired_ = false;
    std::shared_ptr<ResumableTimer> timer_;
    std::weak_ptr<platform::View> view_;
    // Start of the current visible stretch on the shared clock (exact, so that the comparison
    // with the impression time does not depend on rounding).
    std::optional<platform::Clock::TimePoint> firstVisibilityTimestamp_;
    VisibilityCheck visibilityCheck_;
    ActiveCheck activeCheck_;
};

}  // namespace solen
