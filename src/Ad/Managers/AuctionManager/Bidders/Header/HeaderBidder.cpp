#include "Ad/Managers/AuctionManager/Bidders/Header/HeaderBidder.h"

namespace solen {

std::shared_ptr<HeaderBidder> HeaderBidder::create(std::weak_ptr<AdBidderDelegate> delegate, AdSetting adSetting) {
    return std::shared_ptr<HeaderBidder>(new HeaderBidder(std::move(delegate), std::move(adSetting)));
}

std::shared_ptr<InternalAdAdapter> HeaderBidder::makeLoadAdapter(const Ads& lineItem) {
    return createAdapter(lineItem.networkId, adSetting().adType);
}

std::optional<double> HeaderBidder::loadTimeout(const Ads& lineItem) const { return getLineItemLoadTimeInterval(lineItem); }

}  // namespace solen
