#pragma once

#include <solen/SolenExport.h>
#include <solen/ui/InterfaceOrientation.h>
#include <solen/ui/InterfaceOrientationMask.h>
#include <solen/ui/View.h>

#include <functional>
#include <memory>

namespace solen::platform {

// Manages one view and the controllers it presents modally. Main thread only.
//
// Presentation follows the platform's order: `present` links the two controllers and calls the
// presented controller's viewWillAppear at once; on a later turn of the main loop its view is
// attached to the presenting controller's window (filling the window's bounds) and laid out,
// then viewDidAppear runs, then the completion. Dismissal mirrors it: viewWillDisappear at
// once; later the view leaves the window, viewDidDisappear runs, the controllers are unlinked
// and the completion runs. Controllers presented on top of the dismissed one go with it.
//
// A presented controller that prefers the status bar hidden hides it from its presentation until
// its dismissal. One whose supported orientations exclude the current one turns the device to its
// preferred orientation when it is presented.
class SOLEN_EXPORT ViewController : public std::enable_shared_from_this<ViewController> {
public:
    using Completion = std::function<void()>;

    enum class ModalPresentationStyle { fullScreen = 0, pageSheet = 1, formSheet = 2, overFullScreen = 5, automatic = -2 };

    static std::shared_ptr<ViewController> create();
    ViewController() = default;
    virtual ~ViewController();
    ViewController(const ViewController&) = delete;
    ViewController& operator=(const ViewController&) = delete;

    // The root view, loaded on first use through loadView and viewDidLoad.
    std::shared_ptr<View> view();
    bool isViewLoaded() const { return view_ != nullptr; }
    void setView(std::shared_ptr<View> view);

    // Creates the root view; the default is a plain view over the main screen's bounds.
    virtual void loadView();
    virtual void viewDidLoad();
    virtual void viewWillAppear(bool animated);
    virtual void viewDidAppear(bool animated);
    virtual void viewWillDisappear(bool animated);
    virtual void viewDidDisappear(bool animated);
    virtual void viewWillLayoutSubviews();
    virtual void viewDidLayoutSubviews();

    // Presenting fails (logged, completion not called) when the controller to present is
    // missing, is this controller, is already presented, when this controller already
    // presents another one or is being dismissed, or when this controller's view is in no window.
    virtual void present(const std::shared_ptr<ViewController>& controller, bool animated, Completion completion);
    // Dismisses the controller this one presents, or else this controller from its presenter.
    // With nothing to dismiss the completion still runs, on a later turn of the main loop.
    virtual void dismiss(bool animated, Completion completion);

    std::shared_ptr<ViewController> presentedViewController() const { return presented_; }
    std::shared_ptr<ViewController> presentingViewController() const { return presenting_.lock(); }
    bool isBeingPresented() const { return beingPresented_; }
    bool isBeingDismissed() const { return beingDismissed_; }

    ModalPresentationStyle modalPresentationStyle() const { return modalPresentationStyle_; }
    void setModalPresentationStyle(ModalPresentationStyle style) { modalPresentationStyle_ = style; }

    virtual bool shouldAutorotate() const { return true; }
    virtual InterfaceOrientationMask supportedInterfaceOrientations() const { return InterfaceOrientationMask::all; }
    virtual InterfaceOrientation preferredInterfaceOrientationForPresentation() const {
        return InterfaceOrientation::portrait;
    }
    virtual bool prefersStatusBarHidden() const { return false; }

private:
    void dismissPresented(bool animated, Completion completion);

    std::shared_ptr<View> view_;
    std::shared_ptr<ViewController> presented_;
    std::weak_ptr<ViewController> presenting_;
    bool beingPresented_ = false;
    bool beingDismissed_ = false;
    ModalPresentationStyle modalPresentationStyle_ = ModalPresentationStyle::fullScreen;
    // Set while this controller's presentation keeps the status bar hidden; the state before it.
    bool hidesStatusBar_ = false;
    bool statusBarWasHidden_ = false;
};

}  // namespace solen::platform
