#include "Platform/UI/TapGestureRecognizer.h"

namespace solen::platform {

bool TapGestureRecognizer::simulateTap() {
    const std::shared_ptr<View> view = view_.lock();
    if (!enabled_ || !view || !action_) return false;
    for (std::shared_ptr<View> current = view; current; current = current->superview()) {
        if (current->isHidden() || !current->isUserInteractionEnabled()) return false;
    }
    // The action may release the view's owner and with it this recogniser: it runs on a copy.
    const Action action = action_;
    action(*this);
    return true;
}

}  // namespace solen::platform
