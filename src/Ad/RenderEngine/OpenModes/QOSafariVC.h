#pragma once

#include "Platform/Web/InAppBrowserController.h"

#include <memory>

namespace solen {

// Hears the in-app browser come and go.
class QOSafariDelegate {
public:
    virtual ~QOSafariDelegate() = default;
    virtual void browserWillPresent() = 0;
    virtual void browserDidPresent() = 0;
    virtual void browserWillDismiss() = 0;
    virtual void browserDidDismiss() = 0;
};

// The in-app browser the SDK presents for landing pages; it reports its four appearance steps to
// its weakly held delegate, after the platform's own handling. Main thread only.
class QOSafariVC final : public platform::InAppBrowserController {
public:
    using InAppBrowserController::InAppBrowserController;

    void setSfDelegate(std::weak_ptr<QOSafariDelegate> delegate) { sfDelegate_ = std::move(delegate); }

    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewDidDisappear(bool animated) override;

private:
    std::weak_ptr<QOSafariDelegate> sfDelegate_;
};

}  // namespace solen
