#include <solen/ui/Window.h>

#include "Platform/Dispatch/MainLoop.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/Screen.h"

#include <solen/ui/ViewController.h>

namespace solen::platform {

std::shared_ptr<Window> Window::create() { return create(Screen::main().bounds()); }

std::shared_ptr<Window> Window::create(Rect frame) { return std::make_shared<Window>(frame); }

// Like the platform's windows, a new window is hidden until it is made visible.
Window::Window(Rect frame) : View(frame) { setHidden(true); }

std::shared_ptr<Window> Window::window() const {
    return std::static_pointer_cast<Window>(std::const_pointer_cast<View>(weak_from_this().lock()));
}

void Window::setRootViewController(std::shared_ptr<ViewController> controller) {
    if (controller == rootViewController_) {
        return;
    }
    if (const std::shared_ptr<ViewController> old = rootViewController_) {
        old->viewWillDisappear(false);
        old->view()->removeFromSuperview();
        rootViewController_.reset();
        old->viewDidDisappear(false);
    }
    rootViewController_ = std::move(controller);
    if (const std::shared_ptr<ViewController> root = rootViewController_) {
        const std::shared_ptr<View> rootView = root->view();
        root->viewWillAppear(false);
        rootView->setFrame(bounds());
        addSubview(rootView);
        rootView->setNeedsLayout();
        rootView->layoutIfNeeded();
        root->viewDidAppear(false);
    }
}

void Window::makeKeyAndVisible() {
    setHidden(false);
    Application::shared().setKeyWindow(std::static_pointer_cast<Window>(weak_from_this().lock()));
}

bool Window::isKeyWindow() const { return Application::shared().keyWindow().get() == this; }

void Window::layoutSubviews() {
    // The root controller's view follows the window's size.
    if (rootViewController_ && rootViewController_->isViewLoaded()) {
        const std::shared_ptr<View> rootView = rootViewController_->view();
        if (rootView->superview().get() == this) {
            rootView->setFrame(bounds());
        }
    }
}

void Window::scheduleUpdatePass() {
    if (updatePassScheduled_) {
        return;
    }
    updatePassScheduled_ = true;
    std::weak_ptr<View> weakSelf = weak_from_this();
    performOnMainQueue([weakSelf] {
        if (const std::shared_ptr<View> window = weakSelf.lock()) {
            std::static_pointer_cast<Window>(window)->updatePassScheduled_ = false;
            window->layoutIfNeeded();
            // Layout may resize views; they are drawn at their new size in the same pass.
            window->displayIfNeeded();
        }
    });
}

}  // namespace solen::platform
