#pragma once

#include "Ad/Managers/AuctionManager/Bidders/SingleLineItemBidder.h"

#include <memory>

namespace solen {

// Loads one server-to-server line item through the SDK's own renderer of the placement's format,
// found by class name like a network adapter: "S2sBannerAdapter" for banners,
// "S2sInterstitialAdapter" (in an interstitial wrapper) for interstitial and rewarded ads,
// "S2sNativeAdapter" (in a native wrapper) for native and splash ads. The load time-out is the
// format's `s2sRenderTimeOut` of the ad-format configuration. A renderer that is not registered
// fails the line item with `AdapterNotFound` and the auction moves on. Main thread only.
class S2sBidder final : public SingleLineItemBidder {
public:
    static std::shared_ptr<S2sBidder> create(std::weak_ptr<AdBidderDelegate> delegate, AdSetting adSetting);

    // A new renderer for `adSetting`'s format in its wrapper, with this bidder as the wrapper's
    // delegate; none when the renderer is missing or not of the wrapper's protocol.
    std::shared_ptr<InternalAdAdapter> makeAdapter(const AdSetting& adSetting);

private:
    using SingleLineItemBidder::SingleLineItemBidder;

    std::shared_ptr<InternalAdAdapter> makeLoadAdapter(const Ads& lineItem) override;
    std::optional<double> loadTimeout(const Ads& lineItem) const override;
    std::string_view emptyBatchLine() const override { return "Ad is missing"; }
};

}  // namespace solen
