#include <solen/ui/ViewController.h>

#include "Commons/Utilities/Logger.h"
#include "Platform/Dispatch/MainLoop.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/OrientationDriver.h"
#include "Platform/UI/Screen.h"

#include <solen/ui/Window.h>

#include <vector>

namespace solen::platform {

std::shared_ptr<ViewController> ViewController::create() { return std::make_shared<ViewController>(); }

ViewController::~ViewController() = default;

std::shared_ptr<View> ViewController::view() {
    if (!view_) {
        loadView();
        if (!view_) {
            setView(View::create(Screen::main().bounds()));
        }
        viewDidLoad();
    }
    return view_;
}

void ViewController::setView(std::shared_ptr<View> view) {
    if (view_) {
        view_->viewController_.reset();
    }
    view_ = std::move(view);
    if (view_) {
        view_->viewController_ = weak_from_this();
    }
}

void ViewController::loadView() { setView(View::create(Screen::main().bounds())); }
void ViewController::viewDidLoad() {}
void ViewController::viewWillAppear(bool) {}
void ViewController::viewDidAppear(bool) {}
void ViewController::viewWillDisappear(bool) {}
void ViewController::viewDidDisappear(bool) {}
void ViewController::viewWillLayoutSubviews() {}
void ViewController::viewDidLayoutSubviews() {}

void ViewController::present(const std::shared_ptr<ViewController>& controller, bool animated, Completion completion) {
    if (!controller || controller.get() == this) {
        Logger::applicationError("Attempt to present a missing view controller or a view controller on itself");
        return;
    }
    if (presented_) {
        Logger::applicationError("Attempt to present a view controller on a view controller which is already presenting");
        return;
    }
    if (beingDismissed_) {
        // Its dismissal would end with the new controller linked to nothing and never shown.
        Logger::error("Attempt to present a view controller on a view controller which is being dismissed");
        return;
    }
    if (controller->presentingViewController() || (controller->view_ && controller->view_->window())) {
        Logger::applicationError("Attempt to present a view controller which is already presented or in a window");
        return;
    }
    if (!view()->window()) {
        Logger::applicationError("Attempt to present a view controller from a view controller whose view is not in the window hierarchy");
        return;
    }
    const std::shared_ptr<ViewController> me = shared_from_this();
    presented_ = controller;
    controller->presenting_ = me;
    controller->beingPresented_ = true;
    if (controller->prefersStatusBarHidden()) {
        Application& application = Application::shared();
        controller->hidesStatusBar_ = true;
        controller->statusBarWasHidden_ = application.isStatusBarHidden();
        application.setStatusBarHidden(true);
    }
    if (!OrientationDriver::allows(controller->supportedInterfaceOrientations(), Application::shared().statusBarOrientation())) {
        Application::shared().setStatusBarOrientation(controller->preferredInterfaceOrientationForPresentation());
    }
    controller->view();
    controller->viewWillAppear(animated);

    performOnMainQueue([me, controller, animated, completion = std::move(completion)] {
        if (me->presented_ != controller) {
            return;
        }
        const std::shared_ptr<View> presentedView = controller->view();
        if (const std::shared_ptr<Window> window = me->view()->window()) {
            presentedView->setFrame(window->bounds());
            window->addSubview(presentedView);
            presentedView->setNeedsLayout();
            presentedView->layoutIfNeeded();
        }
        controller->beingPresented_ = false;
        controller->viewDidAppear(animated);
        if (completion) {
            completion();
        }
    });
}

void ViewController::dismiss(bool animated, Completion completion) {
    if (presented_) {
        dismissPresented(animated, std::move(completion));
    } else if (const std::shared_ptr<ViewController> presenter = presentingViewController()) {
        presenter->dismissPresented(animated, std::move(completion));
    } else {
        performOnMainQueue([completion = std::move(completion)] {
            if (completion) {
                completion();
            }
        });
    }
}

void ViewController::dismissPresented(bool animated, Completion completion) {
    if (!presented_ || presented_->beingDismissed_) {
        // The dismissal under way ends before this block runs.
        performOnMainQueue([completion = std::move(completion)] {
            if (completion) {
                completion();
            }
        });
        return;
    }
    // The dismissed controller and everything presented on top of it, top first.
    std::vector<std::shared_ptr<ViewController>> stack;
    for (std::shared_ptr<ViewController> c = presented_; c; c = c->presented_) {
        stack.insert(stack.begin(), c);
    }
    for (const auto& c : stack) {
        c->beingDismissed_ = true;
    }
    for (const auto& c : stack) {
        c->viewWillDisappear(animated);
    }
    const std::shared_ptr<ViewController> me = shared_from_this();
    performOnMainQueue([me, stack, animated, completion = std::move(completion)] {
        for (const auto& c : stack) {
            if (c->view_) {
                c->view_->removeFromSuperview();
            }
            c->viewDidDisappear(animated);
            if (c->hidesStatusBar_) {
                c->hidesStatusBar_ = false;
                Application::shared().setStatusBarHidden(c->statusBarWasHidden_);
            }
        }
        for (const auto& c : stack) {
            c->presented_.reset();
            c->presenting_.reset();
            c->beingDismissed_ = false;
        }
        if (me->presented_ == stack.back()) {
            me->presented_.reset();
        }
        if (completion) {
            completion();
        }
    });
}

}  // namespace solen::platform
