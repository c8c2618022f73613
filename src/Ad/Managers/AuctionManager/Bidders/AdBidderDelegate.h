#pragma once

#include "Ad/Managers/AuctionManager/LineItemBatchKind.h"
#include "Ad/Network/AdError.h"
#include "Ad/Network/Models/Ads.h"

#include "Ad/Adapter/InternalAdapter/PresentationError.h"
#include <solen/ui/View.h>
#include <solen/ui/ViewController.h>

#include <nlohmann/json.hpp>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace solen {

class Bidder;

// How a bidder reports to the auction that created it, and the three auction operations a bidder
// calls when its own line items are exhausted: take the next batch, hand it to a new bidder, or
// end the auction. A bidder depends on this contract only. Called on the main thread; the bidder
// keeps itself alive for the length of each call, since the auction may replace or drop it inside.
class AdBidderDelegate {
public:
    using Batch = std::pair<std::optional<std::vector<Ads>>, LineItemBatchKind>;

    virtual ~AdBidderDelegate() = default;

    // The bidder has an ad, or (one-item bidders) has started the load of its line item.
    virtual void adBidderAdDidReceive(Bidder& bidder) = 0;
    // The bidder's `winnerBidder` has loaded; `adView` may be null.
    virtual void adBidderDidFinishLoading(Bidder& bidder, std::shared_ptr<platform::View> adView) = 0;
    virtual void adBidderDidInteract(Bidder& bidder) = 0;
    virtual void userWillLeaveApplicationFrom(Bidder& bidder) = 0;
    virtual void adBidderWillPresentScreen(Bidder& bidder) = 0;
    virtual void adBidderDidPresentScreen(Bidder& bidder) = 0;
    virtual void adBidderWillDismissScreen(Bidder& bidder) = 0;
    virtual void adBidderDidDismissScreen(Bidder& bidder) = 0;
    virtual void adBidderDidFailToPresentWith(Bidder& bidder, PresentationError error) = 0;
    virtual void adBidderRewardedActionCompletedWith(Bidder& bidder, nlohmann::ordered_json rewards) = 0;
    virtual void adBidderDidAdImpression(Bidder& bidder) = 0;
    virtual std::shared_ptr<platform::ViewController> viewControllerForModalPresentation() = 0;

    // The next batch of the remaining line items and its kind; `none` when nothing is left.
    virtual Batch nextLineItems() = 0;
    // Creates the bidder of the batch's kind, replacing the current one, and starts it.
    virtual void loadNextBidder(std::vector<Ads> lineItems, LineItemBatchKind kind) = 0;
    // Ends the auction with `error`.
    virtual void sendFailCallback(AdError error) = 0;
};

}  // namespace solen
