#pragma once

#include "Ad/Managers/AuctionManager/Bidders/AdBidderDelegate.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace solen::test {

// Stands in for the auction above a bidder: records every report as a short event text and hands
// out scripted batches. Main thread only, like the bidders.
//   "adDidReceive", "didFinishLoading", "interact", "leave", "willPresent", "didPresent",
//   "willDismiss", "didDismiss", "failToPresent", "reward:<json>", "impression",
//   "nextLineItems", "loadNextBidder:<kind>:<id>,<id>", "sendFail:<code>"
class RecordingAdBidderDelegate final : public AdBidderDelegate {
public:
    std::vector<std::string> events() const { return events_; }
    std::size_t count(const std::string& event) const;
    void clear() { events_.clear(); }

    // Batches given by `nextLineItems()` in turn; when none is left it gives no list and `none`.
    void queueBatch(std::vector<Ads> lineItems, LineItemBatchKind kind);
    // The view of the latest `adBidderDidFinishLoading`.
    const std::shared_ptr<platform::View>& adView() const { return adView_; }
    // Runs inside every report that ends the bidder's part (finish loading, next bidder, failure),
    // as an auction that drops its bidder there would.
    std::function<void()> onEnd;

    void adBidderAdDidReceive(Bidder&) override { note("adDidReceive"); }
    void adBidderDidFinishLoading(Bidder&, std::shared_ptr<platform::View> adView) override;
    void adBidderDidInteract(Bidder&) override { note("interact"); }
    void userWillLeaveApplicationFrom(Bidder&) override { note("leave"); }
    void adBidderWillPresentScreen(Bidder&) override { note("willPresent"); }
    void adBidderDidPresentScreen(Bidder&) override { note("didPresent"); }
    void adBidderWillDismissScreen(Bidder&) override { note("willDismiss"); }
    void adBidderDidDismissScreen(Bidder&) override { note("didDismiss"); }
    void adBidderDidFailToPresentWith(Bidder&, PresentationError) override { note("failToPresent"); }
    void adBidderRewardedActionCompletedWith(Bidder&, nlohmann::ordered_json rewards) override {
        note("reward:" + rewards.dump());
    }
    void adBidderDidAdImpression(Bidder&) override { note("impression"); }
    std::shared_ptr<platform::ViewController> viewControllerForModalPresentation() override { return nullptr; }

    Batch nextLineItems() override;
    void loadNextBidder(std::vector<Ads> lineItems, LineItemBatchKind kind) override;
    void sendFailCallback(AdError error) override;

    // "passive", "header", "s2s", "none".
    static std::string kindName(LineItemBatchKind kind);

private:
    void note(std::string event) { events_.push_back(std::move(event)); }
    void end();

    std::vector<std::string> events_;
    std::deque<Batch> batches_;
    std::shared_ptr<platform::View> adView_;
};

}  // namespace solen::test
