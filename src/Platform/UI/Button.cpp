#include "Platform/UI/Button.h"

#include <algorithm>

namespace solen::platform {

void Button::addTarget(Action action, ControlEvent event) {
    if (action) {
        targets_.push_back({event, std::move(action)});
    }
}

std::size_t Button::targetCount(ControlEvent event) const {
    return static_cast<std::size_t>(
        std::count_if(targets_.begin(), targets_.end(), [event](const Target& target) { return target.event == event; }));
}

void Button::sendActions(ControlEvent event) {
    if (!enabled_ || isHidden()) {
        return;
    }
    // An action may release the button or change its targets: run a copy, keep the button.
    const auto keep = shared_from_this();
    const std::vector<Target> targets = targets_;
    for (const Target& target : targets) {
        if (target.event == event) {
            target.action();
        }
    }
}

}  // namespace solen::platform
