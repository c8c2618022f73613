#pragma once

#include "Ad/Managers/AuctionManager/AdTrackers/AdTracker.h"
#include "Ad/Managers/AuctionManager/AuctioneerDelegate.h"
#include "Ad/Managers/AuctionManager/Bidders/AdBidderDelegate.h"
#include "Ad/Network/Models/AdResponse.h"
#include "Ad/Network/Models/AdSetting.h"
#include "Commons/Latency/LatencyInterval.h"
#include "Commons/Utilities/TimeKeeper.h"

#include <solen/adapters/SolenAdapterError.h>

#include <memory>
#include <optional>
#include <vector>

namespace solen {

class Bidder;

// Runs the auction of one ad response: takes its line items in batches (a run of registered
// ordinary line items for the waterfall window, or one header-bidding or one server-to-server
// line item), hands each batch to a bidder of its kind, guards the whole auction with one
// time-out, and ends in exactly one report to its delegate: a winner or a failure. Around both
// ends it fires the winner's fill trackers, the bid-loss trackers of line items never tried and
// the response's no-fill event (at most once, never after a win).
//
// Owned by its ad manager (held weakly as the delegate); owns the current bidder. Once it has
// reported, later wins, failures and time-outs are logged and change nothing. Released while
// running or failed, it fires what the release fires (no-fill event "ObjectDeallocated" unless
// sent or won, the remaining line items' bid-loss) and reports nothing. Main thread only; the
// auction timer hops to main before it acts.
class Auctioneer final : public AdBidderDelegate, public std::enable_shared_from_this<Auctioneer> {
public:
    static std::shared_ptr<Auctioneer> create(std::weak_ptr<AuctioneerDelegate> delegate, AdSetting adSetting);
    ~Auctioneer() override;
    Auctioneer(const Auctioneer&) = delete;
    Auctioneer& operator=(const Auctioneer&) = delete;

    const AdSetting& adSetting() const { return adSetting_; }
    const std::shared_ptr<Bidder>& bidder() const { return bidder_; }
    const std::optional<AdResponse>& adResponse() const { return adResponse_; }
    const LatencyInterval& auctionLatency() const { return auctionLatency_; }
    const LatencyInterval& loadLatency() const { return loadLatency_; }
    const std::shared_ptr<TimeKeeper>& auctionTimer() const { return auctionTimer_; }
    bool shouldFireNoAdFill() const { return shouldFireNoAdFill_; }

    // Starts the auction of `response`; once.
    void startAuction(AdResponse response);
    // A one-shot timer of `milliseconds` / 1000 seconds replacing the current one; a negative
    // interval fires on the next turn.
    void startAuctionTimer(double milliseconds);
    void killAuctionTimer();
    // The timer's handler: while the auction runs, ends it with `auctionTimeout`.
    void auctionTimeoutFailure();

    Batch nextLineItems() override;
    // The batching rule on a list of remaining line items, which loses the items taken: a maximal
    // run of registered line items of networks without header bidding (`passive`), else one
    // header-bidding item (`header`), else one unregistered server-to-server item (`s2s`);
    // unregistered items that are not server-to-server are passed over and stay. An empty
    // `passive` batch when only such items are left; `none` for an empty list.
    static Batch nextLineItems(std::vector<Ads>& remaining);
    void loadNextBidder(std::vector<Ads> lineItems, LineItemBatchKind kind) override;
    void sendFailCallback(AdError error) override;
    // The response's no-fill event, once, never after a win.
    void fireNoAdFill(const SolenAdapterError& error);
    // The bid-loss trackers of the line items still in the list, which empties it: with the
    // error's drop reason and descriptor, or both empty without one. A line item without bid-loss
    // trackers is passed over.
    void fireLineItemErrors(const std::optional<SolenAdapterError>& error);

    void adBidderAdDidReceive(Bidder& bidder) override;
    void adBidderDidFinishLoading(Bidder& bidder, std::shared_ptr<platform::View> adView) override;
    void adBidderDidInteract(Bidder& bidder) override;
    void userWillLeaveApplicationFrom(Bidder& bidder) override;
    void adBidderWillPresentScreen(Bidder& bidder) override;
    void adBidderDidPresentScreen(Bidder& bidder) override;
    void adBidderWillDismissScreen(Bidder& bidder) override;
    void adBidderDidDismissScreen(Bidder& bidder) override;
    void adBidderDidFailToPresentWith(Bidder& bidder, PresentationError error) override;
    // The response's `rewards` replace the adapter's when they are a JSON object.
    void adBidderRewardedActionCompletedWith(Bidder& bidder, nlohmann::ordered_json rewards) override;
    void adBidderDidAdImpression(Bidder& bidder) override;
    std::shared_ptr<platform::ViewController> viewControllerForModalPresentation() override;

private:
    enum class Phase { created, running, won, failed };

    Auctioneer(std::weak_ptr<AuctioneerDelegate> delegate, AdSetting adSetting);

    // Runs `call` on the delegate while this auctioneer is kept alive; nothing without one.
    template <class Report>
    void report(Report&& call) {
        // Trackers held back on this thread leave before the manager, and the app, hear of it.
        AdTracker::sendHeld();
        const std::shared_ptr<Auctioneer> self = shared_from_this();
        if (const auto manager = delegate_.lock()) {
            call(*manager);
        }
    }
    // Whether a report of `bidder` may still end the auction (it runs and `bidder` is current).
    bool acceptsOutcomeOf(const Bidder& bidder, const char* what) const;
    SolenAdapterError objectDeallocatedError() const;

    std::weak_ptr<AuctioneerDelegate> delegate_;
    AdSetting adSetting_;
    std::shared_ptr<Bidder> bidder_;
    std::optional<AdResponse> adResponse_;
    std::shared_ptr<TimeKeeper> auctionTimer_;
    LatencyInterval auctionLatency_;
    LatencyInterval loadLatency_;
    bool shouldFireNoAdFill_ = true;
    Phase phase_ = Phase::created;
};

}  // namespace solen
