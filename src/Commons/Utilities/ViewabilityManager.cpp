#include "Commons/Utilities/ViewabilityManager.h"

#include "Platform/Dispatch/MainLoop.h"

#include <solen/ui/Window.h>

#include <algorithm>

namespace solen {

using platform::Rect;
using platform::View;

ViewabilityManager::ViewabilityManager(const std::shared_ptr<View>& view, std::optional<ViewVisibilityTrackingMode> mode)
    : view_(view), trackingMode_(mode) {}

std::shared_ptr<ViewabilityManager> ViewabilityManager::create(const std::shared_ptr<View>& view,
                                                               std::optional<ViewVisibilityTrackingMode> trackingMode) {
    std::shared_ptr<ViewabilityManager> manager(new ViewabilityManager(view, trackingMode));
    std::weak_ptr<ViewabilityManager> weakManager = manager;
    manager->timer_ = ResumableTimer::create(measurementInterval, true, platform::MainLoop::commonModes,
                                             [weakManager](ResumableTimer& firing) {
                                                 const auto self = weakManager.lock();
                                                 if (!self) {
                                                     firing.invalidate();
                                                     return;
                                                 }
                                                 self->measure(firing);
                                             });
    return manager;
}

void ViewabilityManager::setListener(Listener listener) {
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
}

void ViewabilityManager::measure(ResumableTimer& firing) {
    const std::shared_ptr<View> view = view_.lock();
    if (!view) {
        firing.invalidate();
        return;
    }
    Listener listener;
    {
        std::lock_guard lock(mutex_);
        listener = listener_;
    }
    if (listener) {
        listener(meetsVisibility(*view, trackingMode_));
    }
}

std::optional<Rect> ViewabilityManager::visibleRectInWindow(const View& view) {
    const std::shared_ptr<View> superview = view.superview();
    const std::shared_ptr<platform::Window> window = view.window();
    if (!superview || !window) {
        return std::nullopt;
    }
    if (view.isHidden()) {
        return std::nullopt;
    }
    for (std::shared_ptr<View> ancestor = superview; ancestor; ancestor = ancestor->superview()) {
        if (ancestor->isHidden()) {
            return std::nullopt;
        }
    }
    const Rect frameInWindow = superview->convertTo(view.frame(), window.get());
    return frameInWindow.intersection(window->bounds());
}

bool ViewabilityManager::meetsVisibility(const View& view, const std::optional<ViewVisibilityTrackingMode>& mode) {
    const std::optional<Rect> visible = visibleRectInWindow(view);
    if (!visible) {
        return false;
    }
    if (!mode) {
        return true;
    }
    const double visibleArea = visible->width() * visible->height();
    switch (mode->kind) {
        case ViewVisibilityTrackingMode::Kind::pixels:
            return visibleArea >= std::max(mode->value, 0.0);
        case ViewVisibilityTrackingMode::Kind::percentage: {
            const double fraction = std::clamp(mode->value, 0.0, 1.0);
            const Rect bounds = view.bounds();
            return visibleArea >= bounds.width() * bounds.height() * fraction;
        }
    }
    return false;
}

}  // namespace solen
