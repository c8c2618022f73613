#pragma once

#include <solen/SolenExport.h>

#include <functional>
#include <memory>
#include <vector>

namespace solen::platform {

class View;

// Recognises a gesture on the view it is attached to (View::addGestureRecognizer) and then sends
// its actions, target-action style. A recogniser that is not enabled recognises nothing. The view
// owns its recognisers; a recogniser refers to its view and to its targets weakly, so a target
// may be the view itself. Main thread only, like every view.
class SOLEN_EXPORT GestureRecognizer : public std::enable_shared_from_this<GestureRecognizer> {
public:
    using Action = std::function<void(GestureRecognizer& sender)>;

    virtual ~GestureRecognizer();
    GestureRecognizer(const GestureRecognizer&) = delete;
    GestureRecognizer& operator=(const GestureRecognizer&) = delete;

    // Adds `action` of `target`, called with this recogniser as the sender. The target is held
    // weakly: once it is gone its action is skipped.
    template <class Target>
    void addTarget(const std::shared_ptr<Target>& target, void (Target::*action)(GestureRecognizer& sender)) {
        std::weak_ptr<Target> weakTarget = target;
        addAction([weakTarget, action](GestureRecognizer& sender) {
            if (const std::shared_ptr<Target> strongTarget = weakTarget.lock()) {
                ((*strongTarget).*action)(sender);
            }
        });
    }
    // Adds an action that is not tied to a target's lifetime.
    void addAction(Action action);

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled) { enabled_ = enabled; }

    // The view it is attached to; none before it is added or once the view is gone.
    std::shared_ptr<View> view() const { return view_.lock(); }

protected:
    GestureRecognizer() = default;
    // Sends every action in the order added. An action may add actions or release the view;
    // those added during the call wait for the next gesture.
    void sendActions();

private:
    friend class View;

    std::weak_ptr<View> view_;
    bool enabled_ = true;
    std::vector<Action> actions_;
};

}  // namespace solen::platform
