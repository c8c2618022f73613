#pragma once

#include "Ad/Managers/AuctionManager/Bidders/SingleLineItemBidder.h"

#include <memory>

namespace solen {

// Loads one line item of a header-bidding network through its network's ad adapter, under the
// line item's load time-out (else its network's). The auction timer stops when the load starts,
// so only that time-out ends the attempt. A line item whose adapter cannot be made moves on at
// once, without trackers. Main thread only.
class HeaderBidder final : public SingleLineItemBidder {
public:
    static std::shared_ptr<HeaderBidder> create(std::weak_ptr<AdBidderDelegate> delegate, AdSetting adSetting);

private:
    using SingleLineItemBidder::SingleLineItemBidder;

    std::shared_ptr<InternalAdAdapter> makeLoadAdapter(const Ads& lineItem) override;
    std::optional<double> loadTimeout(const Ads& lineItem) const override;
    std::string_view emptyBatchLine() const override { return "Ad not found"; }
};

}  // namespace solen
