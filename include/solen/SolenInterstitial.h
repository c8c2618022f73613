#pragma once

#include <solen/SolenExport.h>
#include <solen/ui/Error.h>
#include <solen/ui/ViewController.h>

#include <nlohmann/json.hpp>

#include <memory>
#include <optional>
#include <string>

namespace solen {

class SolenInterstitial;

// What a full-screen ad (interstitial or rewarded) tells the application. Every call arrives on the
// main thread, asynchronously after the event that caused it and in the order of those events;
// none arrives once the ad object or the delegate is gone. Each does nothing unless overridden.
class SOLEN_EXPORT SolenInterstitialDelegate {
public:
    virtual ~SolenInterstitialDelegate() = default;

    virtual void solenInterstitialDidLoad(SolenInterstitial& /*interstitial*/) {}
    // A load failed: domain "ai.solen.SolenAdError", the code (2001-2016) and its texts.
    virtual void solenInterstitialDidFailToLoad(SolenInterstitial& /*interstitial*/, const platform::Error& /*error*/) {}
    // A show did not put the ad on screen: 2002 when there was nothing to show or no view
    // controller, 2007 when the network never presented in time, else the network's own error.
    virtual void solenInterstitialDidFailToDisplay(SolenInterstitial& /*interstitial*/,
                                                   const platform::Error& /*error*/) {}
    // The ad was tapped; `params` is always empty today.
    virtual void solenInterstitialDidClick(SolenInterstitial& /*interstitial*/,
                                           const std::optional<nlohmann::ordered_json>& /*params*/) {}
    virtual void solenInterstitialUserWillLeaveApplication(SolenInterstitial& /*interstitial*/) {}
    virtual void solenInterstitialWillDisplay(SolenInterstitial& /*interstitial*/) {}
    virtual void solenInterstitialDidDisplay(SolenInterstitial& /*interstitial*/) {}
    virtual void solenInterstitialWillDismiss(SolenInterstitial& /*interstitial*/) {}
    virtual void solenInterstitialDidDismiss(SolenInterstitial& /*interstitial*/) {}
    // The ad was counted as seen; `impressionData` is the winning line item's impression object.
    virtual void solenInterstitialImpression(SolenInterstitial& /*interstitial*/,
                                             const std::optional<nlohmann::ordered_json>& /*impressionData*/) {}
    // A rewarded ad earned its reward: the ad server's rewards when it sent some, else the network's.
    virtual void solenRewardsUnlocked(SolenInterstitial& /*interstitial*/, const nlohmann::ordered_json& /*rewards*/) {}
};

// A full-screen ad: `load()` asks the ad server for an ad of the ad unit, sized to the main screen;
// the server decides whether it is an interstitial or a rewarded ad. Once loaded (and `isReady()`),
// `show(from:)` presents it over the given view controller. After a dismissal or a failure the
// object loads again. Releasing it stops its loads and timers and calls nobody.
//
// Calls belong on the main thread; one made on another thread is logged and run there (queries
// wait for the answer, `load()` and `show()` do not).
class SOLEN_EXPORT SolenInterstitial {
public:
    // The delegate is held weakly, here as in setDelegate: the application keeps its own
    // shared_ptr to it for as long as it wants callbacks. A delegate made inline in this call
    // (`std::make_shared<MyDelegate>()` as the argument) is released at once and hears nothing.
    static std::shared_ptr<SolenInterstitial> create(std::optional<std::string> adUnitId,
                                                     std::shared_ptr<SolenInterstitialDelegate> delegate = nullptr);
    ~SolenInterstitial();
    SolenInterstitial(const SolenInterstitial&) = delete;
    SolenInterstitial& operator=(const SolenInterstitial&) = delete;

    // Kept weakly: the application owns its delegate.
    std::shared_ptr<SolenInterstitialDelegate> delegate() const;
    void setDelegate(const std::shared_ptr<SolenInterstitialDelegate>& delegate);
    std::optional<std::string> adUnitId() const;
    void setAdUnitId(std::optional<std::string> adUnitId);
    // Whether a loaded ad can be shown now.
    bool isReady() const;

    // Every accepted load ends in exactly one solenInterstitialDidLoad or
    // solenInterstitialDidFailToLoad. A load while one runs or while the ad shows is ignored (and
    // logged).
    void load();
    // Each show ends on screen (will and did display) or in one solenInterstitialDidFailToDisplay.
    void show(std::shared_ptr<platform::ViewController> viewController);

    struct Impl;

private:
    SolenInterstitial();

    std::shared_ptr<Impl> impl_;
};

}  // namespace solen
