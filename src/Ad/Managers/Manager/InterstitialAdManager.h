#pragma once

#include "Ad/Adapter/InternalAdapter/PresentationError.h"
#include "Ad/Managers/Manager/AdManager.h"
#include "Ad/StateManager/InterstitialStateMachine.h"

#include <solen/ui/ViewController.h>

#include <memory>

namespace solen {

class Bidder;

// The full-screen refinement of the manager's delegate: the two reports the interstitial ad
// manager moves to the main queue itself. Each arrives once, on the main thread, one hop after its
// event.
class InterstitialAdMangerDelegate : public AdManagerDelegate {
public:
    virtual void adManagerRewardedActionCompletedWith(AdManager& adManager, nlohmann::ordered_json rewards) = 0;
    virtual void adManagerDidFailToPresentWith(AdManager& adManager, const PresentationError& error) = 0;
};

// The ad manager of one interstitial or rewarded placement: every load, show and auction callback
// goes through its `InterstitialStateMachine`. A show hands the auction's winner the view
// controller under the render timer (`interstitial.showTimeOut` milliseconds, rewarded too); a
// show that cannot happen or that fails to present ends in exactly one presentation failure, and
// the placement loads again afterwards. Whether a load is interstitial or rewarded is the ad
// server's choice (its `rewardedVideo`).
//
// Main thread only, like its base.
class InterstitialAdManager final : public AdManager {
public:
    static std::shared_ptr<InterstitialAdManager> create(std::weak_ptr<InterstitialAdMangerDelegate> delegate,
                                                         Dependencies dependencies = {});

    const InterstitialStateMachine& stateMachine() const { return stateMachine_; }

    // Refused while a load runs (`invalidLoadRequest`) or an ad shows (`adActive`): logged only.
    void loadAd(AdSetting setting) override;
    // Shows the loaded ad from `viewController`. Before a load succeeded, a second time, with no
    // view controller or without a winner that can show: one presentation failure (`internalError`).
    void show(std::shared_ptr<platform::ViewController> viewController);
    // Whether a show would be taken now: the load has finished (and the ad not yet been shown) and
    // its winner's adapter is ready; false otherwise.
    bool isReady() const;
    void sendFailToPresent(PresentationError error);

    void sendFailureCallback(AdError error) override;
    void auctioneerDidFinishLoading(Auctioneer& auctioneer, std::shared_ptr<platform::View> adView) override;
    void auctioneerWillPresentScreen(Auctioneer& auctioneer) override;
    void auctioneerWillDismissScreen(Auctioneer& auctioneer) override;
    void auctioneerDidFailToPresentWith(Auctioneer& auctioneer, PresentationError error) override;
    void auctioneerRewardedActionCompletedWith(Auctioneer& auctioneer, nlohmann::ordered_json rewards) override;

    // Starts the winner's render timer and asks its network adapter to show; false (nothing done)
    // when the winner is missing or neither an interstitial nor a rewarded one.
    static bool showWinningAdapter(const std::shared_ptr<platform::ViewController>& viewController, Bidder& bidder);
    static bool isWinningAdapterReady(const Bidder& bidder);

private:
    InterstitialAdManager(std::weak_ptr<InterstitialAdMangerDelegate> delegate, Dependencies dependencies);

    // Whether the machine takes `event`; a refusal is logged with the state it met.
    bool accepts(InterstitialTransitionEvent event);
    // Ends the running show with `error`: the one presentation failure of that show.
    void failShow(PresentationError error);
    // Runs `call` on the full-screen delegate from a main-queue block, holding it weakly.
    template <class Call>
    void notifyLater(Call call);

    std::weak_ptr<InterstitialAdMangerDelegate> interstitialDelegate_;
    InterstitialStateMachine stateMachine_;
};

}  // namespace solen
