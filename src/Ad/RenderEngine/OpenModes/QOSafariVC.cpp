#include "Ad/RenderEngine/OpenModes/QOSafariVC.h"

namespace solen {

void QOSafariVC::viewWillAppear(bool animated) {
    SafariViewController::viewWillAppear(animated);
    if (const auto delegate = sfDelegate_.lock()) {
        delegate->browserWillPresent();
    }
}

void QOSafariVC::viewDidAppear(bool animated) {
    SafariViewController::viewDidAppear(animated);
    if (const auto delegate = sfDelegate_.lock()) {
        delegate->browserDidPresent();
    }
}

void QOSafariVC::viewWillDisappear(bool animated) {
    SafariViewController::viewWillDisappear(animated);
    if (const auto delegate = sfDelegate_.lock()) {
        delegate->browserWillDismiss();
    }
}

void QOSafariVC::viewDidDisappear(bool animated) {
    SafariViewController::viewDidDisappear(animated);
    if (const auto delegate = sfDelegate_.lock()) {
        delegate->browserDidDismiss();
    }
}

}  // namespace solen
