#pragma once

#include "Ad/Managers/AuctionManager/Auctioneer.h"
#include "Ad/Managers/AuctionManager/AuctioneerDelegate.h"
#include "Ad/Managers/Manager/AdManagerDelegate.h"
#include "Ad/Network/AdNetworkInterface.h"
#include "Ad/Network/Models/AdSetting.h"
#include "Commons/Utilities/TimeKeeper.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace solen {

class SdkStartup;

// The shared load road of the per-placement ad managers: an accepted load stores its setting,
// validates the ad unit, sends the bid request under the fetch time-out, auctions the answer
// through one `Auctioneer` per response and passes the auction's outcome and the winner's reports
// to the public ad object. Subclasses guard every step with their state machine.
//
// Each accepted load ends in exactly one `adManagerDidFinishLoading` or
// `adManagerDidFailToLoadWith`, unless the manager is released first. A load the delegate was told
// has failed is over: its fetch timer is stopped and a bid outcome still on its way is dropped.
// Released, the manager suspends its fetch timer and lets go of its auction (whose release fires
// its trackers); it calls no delegate.
//
// Main thread only: the bid outcome (on the HTTP session's queue) and the fetch time-out (on a
// global queue) hop to main, holding the manager weakly, before they touch it.
class AdManager : public AuctioneerDelegate, public std::enable_shared_from_this<AdManager> {
public:
    // Test seams; empty members take the production ones (a new bid client over the process-wide
    // session, the public entry class's start-up).
    struct Dependencies {
        std::shared_ptr<AdNetworkInterface> adNetworkInterface;
        std::shared_ptr<SdkStartup> startup;
    };

    ~AdManager() override;
    AdManager(const AdManager&) = delete;
    AdManager& operator=(const AdManager&) = delete;

    const std::optional<AdSetting>& adSetting() const { return adSetting_; }
    const std::shared_ptr<AdNetworkInterface>& adNetworkInterface() const { return adNetworkInterface_; }
    const std::shared_ptr<Auctioneer>& auctioneer() const { return auctioneer_; }
    const std::shared_ptr<TimeKeeper>& fetchTimer() const { return fetchTimer_; }

    // A load request of the public object; each subclass guards it with its state machine.
    virtual void loadAd(AdSetting setting) = 0;
    // Ends the current load with `error`: stops its fetch, drops its auction and tells the delegate.
    virtual void sendFailureCallback(AdError error);

    // The first failing check, in order: SDK disabled by the root configuration, SDK not
    // initialised, no ad unit id, unusable size (negative or not finite for every format; missing
    // or zero for a banner). Nothing when the load may go ahead.
    std::optional<AdError> validateAdUnit() const;
    // A one-shot fetch time-out of `seconds` for the current load, replacing any earlier one.
    void startFetchTimer(double seconds);
    // Sends the bid request of the current load with a fresh request id.
    void fetchAdResponse();
    void didGetAdResponse(AdResponse response, const std::string& requestId);
    void didFailToGetAdResponse(const AdError& error, const std::string& requestId);
    // Replaces the auction with a new one over `response`.
    void startAdAuction(AdResponse response);
    // The fetch time-out of the current load.
    void timeoutFailure();

    void auctioneerDidFinishLoading(Auctioneer& auctioneer, std::shared_ptr<platform::View> adView) override;
    void auctioneerDidFailToLoadWith(Auctioneer& auctioneer, AdError error) override;
    void auctioneerDidInteract(Auctioneer& auctioneer) override;
    void userWillLeaveApplicationFrom(Auctioneer& auctioneer) override;
    void auctioneerWillPresentScreen(Auctioneer& auctioneer) override;
    void auctioneerDidPresentScreen(Auctioneer& auctioneer) override;
    void auctioneerWillDismissScreen(Auctioneer& auctioneer) override;
    void auctioneerDidDismissScreen(Auctioneer& auctioneer) override;
    void auctioneerDidFailToPresentWith(Auctioneer& auctioneer, PresentationError error) override;
    void auctioneerRewardedActionCompletedWith(Auctioneer& auctioneer, nlohmann::ordered_json rewards) override;
    void auctioneerDidAdImpression(Auctioneer& auctioneer, std::optional<nlohmann::ordered_json> impressionData) override;
    std::shared_ptr<platform::ViewController> viewControllerForModalPresentation() override;

protected:
    AdManager(std::weak_ptr<AdManagerDelegate> delegate, Dependencies dependencies);

    // The steps every accepted load takes: store the setting, validate, fetch timer, bid request.
    void runLoad(AdSetting setting);
    // Runs `call` on the delegate while this manager is kept alive; nothing without a delegate.
    template <class Call>
    void notify(Call&& call) {
        const std::shared_ptr<AdManager> self = shared_from_this();
        if (const auto delegate = delegate_.lock()) {
            call(*delegate);
        }
    }

private:
    // Stops and drops the fetch timer and forgets the pending fetch, so that its outcome and its
    // time-out are dropped when they reach main.
    void endFetch();

    std::weak_ptr<AdManagerDelegate> delegate_;
    std::optional<AdSetting> adSetting_;
    std::shared_ptr<AdNetworkInterface> adNetworkInterface_;
    std::shared_ptr<Auctioneer> auctioneer_;
    std::shared_ptr<TimeKeeper> fetchTimer_;
    std::shared_ptr<SdkStartup> startup_;
    // Number of the fetch whose outcome is awaited; 0 while none is.
    std::uint64_t pendingFetch_ = 0;
    std::uint64_t fetchCount_ = 0;
};

}  // namespace solen
