#pragma once

#include "Ad/RenderEngine/OpenModes/LandingPageConfig.h"
#include "Ad/RenderEngine/OpenModes/QOSafariVC.h"

#include <memory>
#include <string>

namespace solen {

// The owner of a landing-page open: gives the controller to present the browser from and hears
// the browser's four steps.
class LandingPageDelegate {
public:
    virtual ~LandingPageDelegate() = default;
    virtual std::shared_ptr<platform::ViewController> viewControllerForPresentation() = 0;
    virtual void browserWillPresent() = 0;
    virtual void browserDidPresent() = 0;
    virtual void browserWillDismiss() = 0;
    virtual void browserDidDismiss() = 0;
};

// Opens a tapped native asset's landing page: the asset's click when its address parses, else the
// fallback click; the chosen click's trackers fire, then its address opens in the in-app browser
// or, for the safari open mode or an address that is not http(s), outside the application
// (refused schemes never leave, see ExternalURLOpener). Failures are logged at the internal error
// level only. Main thread only; the owner keeps the processor while its browser is up.
class LandingPageProcessor final : public QOSafariDelegate, public std::enable_shared_from_this<LandingPageProcessor> {
public:
    explicit LandingPageProcessor(LandingPageConfig config) : config_(std::move(config)) {}

    const LandingPageConfig& config() const { return config_; }
    void setDelegate(std::weak_ptr<LandingPageDelegate> delegate) { delegate_ = std::move(delegate); }

    void open();
    void openInAppBrowser(const std::string& model);
    void openExternalBrowser(const std::string& model);

    // QOSafariDelegate: forwarded to the delegate.
    void browserWillPresent() override;
    void browserDidPresent() override;
    void browserWillDismiss() override;
    void browserDidDismiss() override;

private:
    void handle(const AssetOnClick& click);

    LandingPageConfig config_;
    std::weak_ptr<LandingPageDelegate> delegate_;
};

}  // namespace solen
