#include "Ad/RenderEngine/View/RenderVC.h"

#include "Ad/RenderEngine/View/RenderView.h"
#include "Commons/Utilities/MainQueue.h"
#include "Commons/Utilities/Utilities.h"
#include "Platform/UI/Screen.h"

namespace solen {

using platform::InterfaceOrientation;
using platform::InterfaceOrientationMask;

std::shared_ptr<RenderVC> RenderVC::create(std::shared_ptr<RenderView> renderView, std::shared_ptr<MRAIDAction> mraidAction) {
    auto controller = std::make_shared<RenderVC>(std::move(renderView), std::move(mraidAction));
    const std::shared_ptr<platform::View> root = controller->view();
    controller->renderView_->setFrame(root->frame());
    root->addSubview(controller->renderView_);
    controller->setModalPresentationStyle(ModalPresentationStyle::fullScreen);
    return controller;
}

RenderVC::RenderVC(std::shared_ptr<RenderView> renderView, std::shared_ptr<MRAIDAction> mraidAction)
    : renderView_(std::move(renderView)), mraidAction_(std::move(mraidAction)) {}

bool RenderVC::shouldAutorotate() const {
    const auto& record = mraidAction_ ? mraidAction_->adOrientationProperties() : std::nullopt;
    return record ? record->allowOrientationChange : ViewController::shouldAutorotate();
}

InterfaceOrientationMask RenderVC::supportedInterfaceOrientations() const {
    const auto& record = mraidAction_ ? mraidAction_->adOrientationProperties() : std::nullopt;
    return record ? record->supportedInterfaceOrientations() : InterfaceOrientationMask::all;
}

InterfaceOrientation RenderVC::preferredInterfaceOrientationForPresentation() const {
    const auto& record = mraidAction_ ? mraidAction_->adOrientationProperties() : std::nullopt;
    return record ? record->preferredInterfaceOrientation() : InterfaceOrientation::portrait;
}

void RenderVC::viewWillAppear(bool animated) {
    ViewController::viewWillAppear(animated);
    if (const auto delegate = renderView_->renderDelegate()) {
        delegate->renderViewWillPresentScreen(*renderView_);
    }
}

void RenderVC::viewDidAppear(bool animated) {
    ViewController::viewDidAppear(animated);
    renderView_->didMoveToWindow();
    if (const auto delegate = renderView_->renderDelegate()) {
        delegate->renderViewDidPresentScreen(*renderView_);
    }
}

void RenderVC::viewWillDisappear(bool animated) {
    ViewController::viewWillDisappear(animated);
    if (const auto delegate = renderView_->renderDelegate()) {
        delegate->renderViewWillDismissScreen(*renderView_);
    }
}

void RenderVC::viewDidDisappear(bool animated) {
    ViewController::viewDidDisappear(animated);
    renderView_->stopObservingApplication();
    if (const auto delegate = renderView_->renderDelegate()) {
        delegate->renderViewDidDismissScreen(*renderView_);
    }
    if (isBeingDismissed()) {
        renderView_->expansionControllerDidDisappear(*this);
    }
}

void RenderVC::viewWillLayoutSubviews() {
    ViewController::viewWillLayoutSubviews();
    const double statusBar = Utilities::statusBarHeight();
    const platform::Rect screen = platform::Screen::main().bounds();
    renderView_->setFrame(platform::Rect(0, statusBar, screen.size.width, screen.size.height - statusBar));
}

void RenderVC::present(const std::shared_ptr<platform::ViewController>& controller, bool animated, Completion completion) {
    ViewController::present(controller, animated, [renderView = std::weak_ptr<RenderView>(renderView_), completion] {
        if (const auto view = renderView.lock()) view->setIsLaunched(true);
        if (completion) completion();
    });
}

void RenderVC::dismiss(bool animated, Completion completion) {
    ViewController::dismiss(animated, [renderView = std::weak_ptr<RenderView>(renderView_), completion] {
        if (const auto view = renderView.lock()) view->setIsLaunched(false);
        if (completion) completion();
    });
}

void RenderVC::dismissController(const std::shared_ptr<platform::ViewController>& controller, bool animated,
                                 Completion completion) {
    // Dismissing through the controller itself would take only what it presents when it presents
    // something: its presenter dismisses exactly it.
    const std::shared_ptr<platform::ViewController> presenter = controller ? controller->presentingViewController() : nullptr;
    if (presenter) {
        presenter->dismiss(animated, std::move(completion));
    } else if (completion) {
        performOnMainQueue(std::move(completion));
    }
}

}  // namespace solen
