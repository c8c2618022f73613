#pragma once

#include "Ad/RenderEngine/MRAID/MRAIDAction.h"
#include <solen/ui/ViewController.h>

#include <memory>

namespace solen {

class RenderView;

// The controller that shows a render view over the whole screen: an interstitial, or an inline
// ad's expansion. It lays the view out below the status bar, prefers the status bar hidden,
// takes its rotation rules from the creative's orientation record, reports presentation and
// dismissal to the render view's delegate, and keeps the render view's `isLaunched` flag in step
// with controllers it presents on top (an in-app browser, for example). It holds the render view
// and its command handling for as long as it lives. Main thread only; made with `create`.
class RenderVC final : public platform::ViewController {
public:
    static std::shared_ptr<RenderVC> create(std::shared_ptr<RenderView> renderView, std::shared_ptr<MRAIDAction> mraidAction);
    RenderVC(std::shared_ptr<RenderView> renderView, std::shared_ptr<MRAIDAction> mraidAction);

    const std::shared_ptr<RenderView>& renderView() const { return renderView_; }
    const std::shared_ptr<MRAIDAction>& mraidAction() const { return mraidAction_; }

    bool shouldAutorotate() const override;
    platform::InterfaceOrientationMask supportedInterfaceOrientations() const override;
    platform::InterfaceOrientation preferredInterfaceOrientationForPresentation() const override;
    bool prefersStatusBarHidden() const override { return true; }

    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewDidDisappear(bool animated) override;
    void viewWillLayoutSubviews() override;
    void present(const std::shared_ptr<platform::ViewController>& controller, bool animated, Completion completion) override;
    void dismiss(bool animated, Completion completion) override;

    // How a closing render view dismisses `controller`: from the controller that presented it
    // (with whatever was presented on top of it meanwhile), also while a dismissal is under way;
    // the completion runs once it has gone, or on a later turn when it was never presented.
    static void dismissController(const std::shared_ptr<platform::ViewController>& controller, bool animated,
                                  Completion completion);

private:
    const std::shared_ptr<RenderView> renderView_;
    const std::shared_ptr<MRAIDAction> mraidAction_;
};

}  // namespace solen
