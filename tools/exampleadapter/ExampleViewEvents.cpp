#include "ExampleViewEvents.h"

#include <solen/ui/TapGestureRecognizer.h>

namespace example {

namespace {

// Runs its action when it first finds itself in a window.
class WindowWatcher final : public solen::platform::View {
public:
    explicit WindowWatcher(std::function<void()> action) : action_(std::move(action)) {
        setHidden(true);
        setUserInteractionEnabled(false);
    }

    void didMoveToWindow() override {
        if (!window() || !action_) {
            return;
        }
        // Cleared first: the action may change the tree this view is in.
        const auto action = std::move(action_);
        action_ = nullptr;
        action();
    }

private:
    std::function<void()> action_;
};

}  // namespace

void ExampleViewEvents::onTap(solen::platform::View& view, std::function<void()> action) {
    const auto recognizer = solen::platform::TapGestureRecognizer::create();
    recognizer->addAction([action = std::move(action)](solen::platform::GestureRecognizer&) { action(); });
    view.addGestureRecognizer(recognizer);
}

void ExampleViewEvents::onFirstWindow(solen::platform::View& view, std::function<void()> action) {
    view.addSubview(std::make_shared<WindowWatcher>(std::move(action)));
}

}  // namespace example
