#include <solen/ui/GestureRecognizer.h>

namespace solen::platform {

GestureRecognizer::~GestureRecognizer() = default;

void GestureRecognizer::addAction(Action action) {
    if (action) {
        actions_.push_back(std::move(action));
    }
}

void GestureRecognizer::sendActions() {
    // Keeps the recogniser alive while an action detaches or releases it; a copy of the list lets
    // actions add actions without invalidating the walk.
    const std::shared_ptr<GestureRecognizer> keep = weak_from_this().lock();
    const std::vector<Action> actions = actions_;
    for (const Action& action : actions) {
        action(*this);
    }
}

}  // namespace solen::platform
