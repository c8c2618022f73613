#include "Platform/UI/OrientationDriver.h"

#include "Platform/UI/Application.h"
#include <solen/ui/ViewController.h>
#include <solen/ui/Window.h>

namespace solen::platform {

bool OrientationDriver::allows(InterfaceOrientationMask mask, InterfaceOrientation orientation) {
    const int raw = static_cast<int>(orientation);
    return raw >= 1 && raw <= 4 && (static_cast<unsigned>(mask) & (1u << raw)) != 0;
}

bool OrientationDriver::rotate(InterfaceOrientation orientation) {
    Application& application = Application::shared();
    const std::shared_ptr<Window> window = application.keyWindow();
    std::shared_ptr<ViewController> top = window ? window->rootViewController() : nullptr;
    while (top && top->presentedViewController()) {
        top = top->presentedViewController();
    }
    if (top && (!top->shouldAutorotate() || !allows(top->supportedInterfaceOrientations(), orientation))) {
        return false;
    }
    application.setStatusBarOrientation(orientation);
    return true;
}

}  // namespace solen::platform
