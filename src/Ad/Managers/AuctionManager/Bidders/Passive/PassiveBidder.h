#pragma once

#include "Ad/Managers/AuctionManager/Bidders/Bidder.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace solen {

// Loads one batch of ordinary line items as a waterfall through a sliding window: up to
// `windowBatchSize` wrappers load at once, and only the head of the window (the first line item
// in batch order still in it) can win, once it has loaded. A later line item that loads first
// waits, and wins only when every one ahead of it has failed. When the window runs dry with the
// batch exhausted, the bidder hands over to the auction's next batch, or ends the auction as no
// fill, exactly once. Line items whose adapter cannot be made, or that have no load time-out, are
// skipped with their network-load and `AdapterNotFound` no-fill trackers.
//
// Once a winner is set or the bidder has handed over, no report of its wrappers starts a load,
// takes a batch or reaches the auction, except the winner's presentation, interaction, reward and
// impression reports; and a line item whose load step has not yet read the bidder's claim asks no
// network. Main thread only.
class PassiveBidder final : public Bidder {
public:
    // `windowBatchSize` replaces the window size of the ad-format configuration for the format of
    // `adSetting` (interstitial's for rewarded), read once here.
    static std::shared_ptr<PassiveBidder> create(std::weak_ptr<AdBidderDelegate> delegate, AdSetting adSetting,
                                                 std::optional<std::int64_t> windowBatchSize = std::nullopt);
    ~PassiveBidder() override;

    std::int64_t windowBatchSize() const { return windowBatchSize_; }
    std::int64_t currentIndex() const { return currentIndex_; }
    // The window: wrappers in batch order, head first.
    const std::vector<std::shared_ptr<InternalAdAdapter>>& localCacheAdapters() const { return localCacheAdapters_; }

    // Stores the batch (until a winner is set) and fills the window.
    void load(std::vector<Ads> lineItems) override;
    // Fills the window up to its size from the next line items; hands over when it stays empty.
    void startWindowSlide();
    // The head of the window when it has loaded.
    std::shared_ptr<InternalAdAdapter> headOfWindowWinner() const;
    // Whether every wrapper ahead of `adapter` in the window has failed (true when it is the head
    // or not in the window).
    bool precedingAdaptersFailed(const InternalAdAdapter& adapter) const;
    void removeAdapter(const InternalAdAdapter& adapter);

    void adAdapterDidLoad(const std::shared_ptr<InternalAdAdapter>& adapter, std::shared_ptr<platform::View> adView) override;
    void adAdapterDidFail(const std::shared_ptr<InternalAdAdapter>& adapter, SolenAdapterError error) override;

private:
    PassiveBidder(std::weak_ptr<AdBidderDelegate> delegate, AdSetting adSetting, std::int64_t windowBatchSize);

    bool ownsLoad(const InternalAdAdapter& adapter) const override;
    // Takes the line item at `currentIndex` into the window (moved out of the batch: each item is
    // taken once), or skips it with its trackers.
    void takeLineItem(Ads& lineItem);
    void setWinner(std::shared_ptr<InternalAdAdapter> adapter);
    void handleAdapterFailure(const std::shared_ptr<InternalAdAdapter>& adapter);
    // Takes the wrappers out of the window, then asks each one still loading for its deallocation
    // report (which changes nothing once the bidder is done) and lets them go.
    void emptyWindow();
    // The next batch, or no fill.
    void handOver();

    std::int64_t currentIndex_ = -1;
    std::int64_t windowBatchSize_;
    std::optional<std::vector<Ads>> ads_;
    std::vector<std::shared_ptr<InternalAdAdapter>> localCacheAdapters_;
    bool handedOver_ = false;
};

}  // namespace solen
