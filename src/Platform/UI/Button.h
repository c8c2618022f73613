#pragma once

#include <solen/ui/View.h>

#include <functional>
#include <memory>
#include <vector>

namespace solen::platform {

// A view that runs actions for control events. Actions are blocks; a target that must not be
// kept alive is captured weakly by its block. Nothing touches the screen here: a host or a test
// delivers a touch with `sendActions`. Main thread only.
class Button : public View {
public:
    enum class ButtonType { custom = 0, system = 1 };
    enum class ControlEvent { touchDown, touchUpInside, touchUpOutside, valueChanged };
    using Action = std::function<void()>;

    explicit Button(ButtonType type = ButtonType::custom, Rect frame = {}) : View(frame), type_(type) {}
    ButtonType buttonType() const { return type_; }

    // Actions run in the order they were added.
    void addTarget(Action action, ControlEvent event);
    void removeAllTargets() { targets_.clear(); }
    std::size_t targetCount(ControlEvent event) const;
    // Runs the actions registered for `event`; a disabled or hidden button runs none.
    void sendActions(ControlEvent event);

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }

private:
    struct Target {
        ControlEvent event;
        Action action;
    };
    ButtonType type_;
    bool enabled_ = true;
    std::vector<Target> targets_;
};

}  // namespace solen::platform
