#pragma once

#include <solen/SolenExport.h>
#include <solen/ui/Error.h>
#include <solen/ui/Size.h>
#include <solen/ui/View.h>
#include <solen/ui/ViewController.h>

#include <nlohmann/json.hpp>

#include <memory>
#include <optional>
#include <string>

namespace solen {

class SolenBanner;

// What a banner tells the application. Every call arrives on the main thread, asynchronously after
// the event that caused it and in the order of those events; none arrives once the banner or the
// delegate is gone. Only the view-controller query must be answered; the others do nothing unless
// overridden.
class SOLEN_EXPORT SolenBannerDelegate {
public:
    virtual ~SolenBannerDelegate() = default;

    // Where full-screen content of the banner's ad (an expansion, a landing page) is presented
    // from. Asked synchronously on the main thread.
    virtual std::shared_ptr<platform::ViewController> viewControllerForSolenBannerFullScreen() = 0;

    // A load finished; the new ad view, when the ad has one, is already the banner's only subview.
    virtual void solenBannerDidLoad(SolenBanner& /*banner*/) {}
    // A load failed: domain "ai.solen.SolenAdError", the code (2001-2016) and its texts.
    virtual void solenBannerDidFailToLoad(SolenBanner& /*banner*/, const platform::Error& /*error*/) {}
    // The ad was tapped; `params` is always empty today.
    virtual void solenBannerDidClick(SolenBanner& /*banner*/, const std::optional<nlohmann::ordered_json>& /*params*/) {}
    virtual void solenBannerUserWillLeaveApplication(SolenBanner& /*banner*/) {}
    virtual void solenBannerWillPresentScreen(SolenBanner& /*banner*/) {}
    virtual void solenBannerDidPresentScreen(SolenBanner& /*banner*/) {}
    virtual void solenBannerWillCollapseScreen(SolenBanner& /*banner*/) {}
    virtual void solenBannerDidCollapseScreen(SolenBanner& /*banner*/) {}
    // The ad was counted as seen; `impressionData` is the winning line item's impression object.
    virtual void solenBannerImpression(SolenBanner& /*banner*/,
                                      const std::optional<nlohmann::ordered_json>& /*impressionData*/) {}
};

// A banner ad: a view the application puts in its layout. `load()` asks the ad server for an ad of
// the banner's ad unit and size; the loaded ad's view replaces the banner's content. While the
// banner is in a window, it reloads on the ad unit's configured refresh interval (paused in the
// background, stopped while the ad is expanded). Releasing the banner stops its loads and timers
// and calls nobody.
//
// Calls belong on the main thread; one made on another thread is logged and run there (queries
// wait for the answer, `load()` does not).
class SOLEN_EXPORT SolenBanner : public platform::View {
public:
    // A banner of the frame's size, without an ad unit or a delegate.
    static std::shared_ptr<SolenBanner> create(platform::Rect frame = {});
    // A banner at the origin whose frame is `adSize`.
    // The delegate is held weakly, here as in setDelegate: the application keeps its own
    // shared_ptr to it for as long as it wants callbacks. A delegate made inline in this call
    // (`std::make_shared<MyDelegate>()` as the argument) is released at once and hears nothing.
    static std::shared_ptr<SolenBanner> create(std::string adUnitId, platform::Size adSize,
                                               std::shared_ptr<SolenBannerDelegate> delegate = nullptr);
    ~SolenBanner() override;

    // Kept weakly: the application owns its delegate.
    std::shared_ptr<SolenBannerDelegate> delegate() const;
    void setDelegate(const std::shared_ptr<SolenBannerDelegate>& delegate);
    // The view transition that brings each loaded ad view in (3: curl up, the default): each swap
    // is a one-second linear animation of the banner with the transition set when the load
    // finishes. Nothing is drawn on Linux: each swap's animation is recorded on the banner, where
    // platform::ViewAnimation::committedBlocks reads it.
    int animationTransition() const;
    void setAnimationTransition(int transition);
    std::optional<std::string> adUnitId() const;
    void setAdUnitId(std::optional<std::string> adUnitId);
    // The zero size when none is set.
    platform::Size adSize() const;
    void setAdSize(platform::Size adSize);

    // Loads an ad with the current ad unit and size. Every accepted load ends in exactly one
    // solenBannerDidLoad or solenBannerDidFailToLoad: no ad unit id (2008), no usable size (2009),
    // SDK not initialised (2005) or disabled (2004), the ad server's or the auction's failure. A
    // load while one runs or while the ad is expanded is ignored (and logged).
    void load();

    void willMoveToWindow(const std::shared_ptr<platform::Window>& newWindow) override;

    struct Impl;

private:
    explicit SolenBanner(platform::Rect frame);
    void setUp(std::optional<std::string> adUnitId, std::optional<platform::Size> adSize,
               const std::shared_ptr<SolenBannerDelegate>& delegate);

    std::shared_ptr<Impl> impl_;
};

}  // namespace solen
