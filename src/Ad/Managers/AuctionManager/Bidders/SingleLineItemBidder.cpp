#include "Ad/Managers/AuctionManager/Bidders/SingleLineItemBidder.h"

#include "Ad/Adapter/InternalAdapter/InternalAdAdapter.h"
#include "Commons/Utilities/Logger.h"

namespace solen {

void SingleLineItemBidder::load(std::vector<Ads> lineItems) {
    if (lineItems.empty()) {
        Logger::error(emptyBatchLine());
        handleLoadFailure(SolenAdapterError::invalidAdMarkup(SolenErrorData(
            *this, "The Ad markup is invalid", "Please contact " + std::string(SolenAdapterError::supportAddress))));
        return;
    }
    const Ads& lineItem = lineItems.front();
    if (Logger::logLevel() >= 5) {
        Logger::debug(lineItem.encode().dump());
    }
    std::shared_ptr<InternalAdAdapter> adapter = makeLoadAdapter(lineItem);
    const std::optional<double> timeout = adapter ? loadTimeout(lineItem) : std::nullopt;
    if (!adapter || !timeout) {
        handleLoadFailure(adapterNotFoundError(lineItem));
        return;
    }
    setWinnerBidder(adapter);
    renderLatency().markStart();
    const bool debugging = Logger::logLevel() >= 5;
    const std::string lineItemId = debugging ? lineItem.lineItemId : std::string();
    scheduleAdapterLoad(std::move(adapter), std::move(lineItems.front()), *timeout);  // the batch's only item
    if (debugging) {
        Logger::debug("lineItem " + lineItemId);
    }
    report([this](AdBidderDelegate& auction) { auction.adBidderAdDidReceive(*this); });
}

void SingleLineItemBidder::handleLoadFailure(const SolenAdapterError& error) {
    settled_ = true;
    logUserInfo(error);
    moveToNextBatch();
}

bool SingleLineItemBidder::ownsLoad(const InternalAdAdapter& adapter) const {
    return !settled_ && winnerBidder().get() == &adapter;
}

void SingleLineItemBidder::adAdapterDidLoad(const std::shared_ptr<InternalAdAdapter>& adapter,
                                            std::shared_ptr<platform::View> adView) {
    Logger::debug("adAdapterDidLoad");
    if (settled_ || !isWinner(adapter)) {
        return;
    }
    settled_ = true;
    report([this, &adView](AdBidderDelegate& auction) { auction.adBidderDidFinishLoading(*this, std::move(adView)); });
}

void SingleLineItemBidder::adAdapterDidFail(const std::shared_ptr<InternalAdAdapter>& adapter, SolenAdapterError error) {
    Logger::debug("adAdapterDidFail");
    if (settled_ || !isWinner(adapter)) {
        return;
    }
    handleLoadFailure(error);
}

}  // namespace solen
