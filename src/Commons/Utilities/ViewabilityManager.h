#pragma once

#include "Commons/Utilities/ResumableTimer.h"
#include "Commons/Utilities/ViewVisibilityTrackingMode.h"

#include <solen/ui/Rect.h>
#include <solen/ui/View.h>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace solen {

// Measures twice a second whether a view is visible by a threshold and hands every result to a
// listener. The owner drives the timer (`timer()->scheduleNow()`, `pause()`, `invalidate()`) and
// sets the listener. Once the view or the manager is gone the next firing ends the timer.
// Measurements and listener calls run on the main thread.
//
// Also the visibility rule itself, shared with the impression timer.
class ViewabilityManager : public std::enable_shared_from_this<ViewabilityManager> {
public:
    using Listener = std::function<void(bool visible)>;

    static constexpr double measurementInterval = 0.5;

    // Holds the view weakly. No mode: any visible part counts.
    static std::shared_ptr<ViewabilityManager> create(const std::shared_ptr<platform::View>& view,
                                                      std::optional<ViewVisibilityTrackingMode> trackingMode);

    // Repeating, every 0.5 s, in the run loop's common modes; not started.
    const std::shared_ptr<ResumableTimer>& timer() const { return timer_; }
    std::shared_ptr<platform::View> view() const { return view_.lock(); }
    const std::optional<ViewVisibilityTrackingMode>& trackingMode() const { return trackingMode_; }
    void setListener(Listener listener);

    // The visible part of the view in its window's coordinates: none without a superview or a
    // window, when the view or any ancestor is hidden, or when the view's frame (converted to
    // the window) does not overlap the window's bounds with a positive area. Opacity and views
    // lying on top are not considered. Main thread.
    static std::optional<platform::Rect> visibleRectInWindow(const platform::View& view);
    static bool isVisible(const platform::View& view) { return visibleRectInWindow(view).has_value(); }
    // Not visible: false. No mode: true. Pixels: visible area >= max(value, 0). Percentage:
    // visible area >= bounds area x value limited to 0...1 (so any value of 1 or more, such as
    // 50, needs the whole view). Main thread.
    static bool meetsVisibility(const platform::View& view, const std::optional<ViewVisibilityTrackingMode>& mode);

private:
    ViewabilityManager(const std::shared_ptr<platform::View>& view, std::optional<ViewVisibilityTrackingMode> mode);
    void measure(ResumableTimer& firing);

    const std::weak_ptr<platform::View> view_;
    const std::optional<ViewVisibilityTrackingMode> trackingMode_;
    std::shared_ptr<ResumableTimer> timer_;
    mutable std::mutex mutex_;
    Listener listener_;
};

}  // namespace solen
