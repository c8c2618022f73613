#include <solen/ui/TapGestureRecognizer.h>

namespace solen::platform {

std::shared_ptr<TapGestureRecognizer> TapGestureRecognizer::create() {
    return std::shared_ptr<TapGestureRecognizer>(new TapGestureRecognizer());
}

bool TapGestureRecognizer::recognizeTap() {
    if (!isEnabled()) {
        return false;
    }
    sendActions();
    return true;
}

}  // namespace solen::platform
