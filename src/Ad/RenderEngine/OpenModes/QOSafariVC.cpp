#include "Ad/RenderEngine/OpenModes/QOSafariVC.h"

namespace solen {

void QOSafariVC::viewWillAppear(bool animated) {
    InAppBrowserController::viewWillAppear(animated);
    if (const auto delegate = sfDelegate_.lock()) {
        delegate->browserWillPresent();
    }
}

void QOSafariVC::viewDidAppear(bool animated) {
    InAppBrowserController::viewDidAppear(animated);
    if (const auto delegate = sfDelegate_.lock()) {
        delegate->browserDidPresent();
    }
}

void QOSafariVC::viewWillDisappear(bool animated) {
    InAppBrowserController::viewWillDisappear(animated);
    if (const auto delegate = sfDelegate_.lock()) {
        delegate->browserWillDismiss();
    }
}

void QOSafariVC::viewDidDisappear(bool animated) {
    InAppBrowserController::viewDidDisappear(animated);
    if (const auto delegate = sfDelegate_.lock()) {
        delegate->browserDidDismiss();
    }
}

}  // namespace solen
