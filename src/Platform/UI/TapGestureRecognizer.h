#pragma once

#include <solen/ui/View.h>

#include <functional>
#include <memory>

namespace solen::platform {

// Recognises single taps on the view it is attached to and calls its action with itself as the
// sender. A tap reaches the action only while the recogniser is enabled and its view, with every
// ancestor, accepts user interaction and is not hidden. Nothing here reads a touch screen: taps
// come from `simulateTap`, the driver tests and the demo use. Holds its view weakly; the view's
// owner keeps the recogniser. Main thread only, like views.
class TapGestureRecognizer {
public:
    using Action = std::function<void(TapGestureRecognizer& sender)>;

    explicit TapGestureRecognizer(Action action) : action_(std::move(action)) {}
    TapGestureRecognizer(const TapGestureRecognizer&) = delete;
    TapGestureRecognizer& operator=(const TapGestureRecognizer&) = delete;

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }
    std::shared_ptr<View> view() const { return view_.lock(); }
    void attach(const std::shared_ptr<View>& view) { view_ = view; }

    // A tap on the view: true when it reached the action.
    bool simulateTap();

private:
    Action action_;
    bool enabled_ = true;
    std::weak_ptr<View> view_;
};

}  // namespace solen::platform
