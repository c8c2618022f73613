#pragma once

#include "Ad/Managers/AuctionManager/Bidders/Bidder.h"

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace solen {

// What the header-bidding and server-to-server bidders share: they load the first line item of
// their batch through one wrapper, which is `winnerBidder` from the start of its load, tell the
// auction at once that a bid is in hand (which stops the auction timer), and move to the next
// batch on a failure. Only the first outcome of that wrapper counts: a second success or a
// failure after a success moves nothing. Main thread only.
class SingleLineItemBidder : public Bidder {
public:
    // An empty list fails with `InvalidAdMarkup`; a line item without adapter or time-out fails
    // with `AdapterNotFound`. Both move straight to the next batch.
    void load(std::vector<Ads> lineItems) override;
    // Logs the error's user info and moves to the next batch (or no fill).
    void handleLoadFailure(const SolenAdapterError& error);

    void adAdapterDidLoad(const std::shared_ptr<InternalAdAdapter>& adapter, std::shared_ptr<platform::View> adView) override;
    void adAdapterDidFail(const std::shared_ptr<InternalAdAdapter>& adapter, SolenAdapterError error) override;

protected:
    using Bidder::Bidder;

    // The wrapper that loads `lineItem`, or none.
    virtual std::shared_ptr<InternalAdAdapter> makeLoadAdapter(const Ads& lineItem) = 0;
    // Its load time-out in milliseconds, or none.
    virtual std::optional<double> loadTimeout(const Ads& lineItem) const = 0;
    // The error line of an empty batch.
    virtual std::string_view emptyBatchLine() const = 0;

private:
    bool ownsLoad(const InternalAdAdapter& adapter) const override;

    bool settled_ = false;  // the first outcome has come, or the load never started
};

}  // namespace solen
