#pragma once

#include "Ad/Managers/Manager/AdManager.h"
#include "Ad/StateManager/NativeStateMachine.h"

#include <solen/SolenAdViewConfiguration.h>

#include <memory>
#include <optional>

namespace solen {

class Bidder;

// The native ad object's refinement: where full-screen content of the ad (an expansion, a landing
// page) is presented from. A delegate that does not adopt it (the splash) has none.
class NativeAdManagerDelegate : public AdManagerDelegate {
public:
    // Null when the application has not said.
    virtual std::shared_ptr<platform::ViewController> viewControllerForNativeFullScreen() = 0;
};

// The ad manager of one native or splash placement: every load, auction callback and view request
// goes through its `NativeStateMachine`. A load while one runs ends the running one with
// `invalidLoadRequest` (its bid outcome and auction are dropped); a load while the ad is expanded
// is only logged. After a load the ad's view may be asked for any number of times; each request
// asks the winner again.
//
// Main thread only, like its base.
class NativeAdManager final : public AdManager {
public:
    static std::shared_ptr<NativeAdManager> create(std::weak_ptr<AdManagerDelegate> delegate,
                                                   Dependencies dependencies = {});

    const NativeStateMachine& stateMachine() const { return stateMachine_; }

    void loadAd(AdSetting setting) override;
    void sendFailureCallback(AdError error) override;
    void auctioneerDidFinishLoading(Auctioneer& auctioneer, std::shared_ptr<platform::View> adView) override;
    void auctioneerWillPresentScreen(Auctioneer& auctioneer) override;
    void auctioneerWillDismissScreen(Auctioneer& auctioneer) override;
    std::shared_ptr<platform::ViewController> viewControllerForModalPresentation() override;

    // The winner's view, made from `solenAdConfig`; none before a load succeeded, after a failure,
    // while expanded (the refusal is logged) or when the winner gives none. The caller owns it.
    std::shared_ptr<platform::View> getNativeAdView(std::optional<SolenAdViewConfiguration> solenAdConfig);

private:
    NativeAdManager(std::weak_ptr<AdManagerDelegate> delegate, Dependencies dependencies);

    std::weak_ptr<AdManagerDelegate> nativeDelegate_;
    NativeStateMachine stateMachine_;
};

// The view of `bidder`'s winner: a banner's view, a native ad's view from the configuration (linked
// to its wrapper) or a splash's view with it. None without a winner, for a native or splash winner
// without a configuration, for another format and for a winner whose network adapter is not of its
// wrapper's kind.
std::shared_ptr<platform::View> adViewOfWinningAdapter(const std::optional<SolenAdViewConfiguration>& configuration,
                                                       const Bidder& bidder);

}  // namespace solen
