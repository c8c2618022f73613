#include "Platform/UI/TapDriver.h"

#include <solen/ui/TapGestureRecognizer.h>

namespace solen::platform {

bool TapDriver::receivesTouches(const View& view) {
    if (view.isHidden() || !view.isUserInteractionEnabled()) {
        return false;
    }
    for (std::shared_ptr<View> ancestor = view.superview(); ancestor; ancestor = ancestor->superview()) {
        if (ancestor->isHidden() || !ancestor->isUserInteractionEnabled()) {
            return false;
        }
    }
    return true;
}

bool TapDriver::tap(const std::shared_ptr<View>& view) {
    if (!view || !receivesTouches(*view)) {
        return false;
    }
    for (std::shared_ptr<View> target = view; target; target = target->superview()) {
        bool taken = false;
        // A copy: an action may attach or detach recognisers.
        for (const std::shared_ptr<GestureRecognizer>& recognizer : std::vector(target->gestureRecognizers())) {
            if (auto tapRecognizer = std::dynamic_pointer_cast<TapGestureRecognizer>(recognizer)) {
                taken = tapRecognizer->recognizeTap() || taken;
            }
        }
        if (taken) {
            return true;
        }
    }
    return false;
}

}  // namespace solen::platform
