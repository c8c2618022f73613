#pragma once

#include "Ad/Network/AdError.h"

#include "Ad/Adapter/InternalAdapter/PresentationError.h"
#include <solen/ui/View.h>
#include <solen/ui/ViewController.h>

#include <nlohmann/json.hpp>

#include <memory>
#include <optional>

namespace solen {

class Auctioneer;

// How an auction reports to the ad manager that owns it: one terminal report (a winner or a
// failure), then the winner's presentation, interaction, reward and impression reports. Called on
// the main thread; the auctioneer keeps itself alive for the length of each call, so the manager
// may release it from inside one.
class AuctioneerDelegate {
public:
    virtual ~AuctioneerDelegate() = default;

    // The auction has a winner; `adView` is what the winning bidder handed up (may be null).
    virtual void auctioneerDidFinishLoading(Auctioneer& auctioneer, std::shared_ptr<platform::View> adView) = 0;
    virtual void auctioneerDidFailToLoadWith(Auctioneer& auctioneer, AdError error) = 0;
    virtual void auctioneerDidInteract(Auctioneer& auctioneer) = 0;
    virtual void userWillLeaveApplicationFrom(Auctioneer& auctioneer) = 0;
    virtual void auctioneerWillPresentScreen(Auctioneer& auctioneer) = 0;
    virtual void auctioneerDidPresentScreen(Auctioneer& auctioneer) = 0;
    virtual void auctioneerWillDismissScreen(Auctioneer& auctioneer) = 0;
    virtual void auctioneerDidDismissScreen(Auctioneer& auctioneer) = 0;
    virtual void auctioneerDidFailToPresentWith(Auctioneer& auctioneer, PresentationError error) = 0;
    virtual void auctioneerRewardedActionCompletedWith(Auctioneer& auctioneer, nlohmann::ordered_json rewards) = 0;
    // `impressionData` is the winning line item's impression data when it is a JSON object.
    virtual void auctioneerDidAdImpression(Auctioneer& auctioneer, std::optional<nlohmann::ordered_json> impressionData) = 0;
    virtual std::shared_ptr<platform::ViewController> viewControllerForModalPresentation() = 0;
};

}  // namespace solen
