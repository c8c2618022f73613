#include "Ad/Managers/AuctionManager/Bidders/Passive/PassiveBidder.h"

#include "Ad/Adapter/AdapterCall.h"
#include "Ad/Adapter/InternalAdapter/InternalAdAdapter.h"
#include "Commons/Configs/SettingsManager.h"
#include "Commons/Utilities/Logger.h"

#include <solen/adapters/SolenBaseBannerAdapter.h>

#include <algorithm>

namespace solen {
namespace {

// A debug line whose text is composed only when debug lines are produced (the window logs on
// every step of a load).
template <class Compose>
void debugLine(Compose&& compose, std::source_location where = std::source_location::current()) {
    if (Logger::logLevel() >= 5) {
        Logger::debug(compose(), where);
    }
}

}  // namespace

std::shared_ptr<PassiveBidder> PassiveBidder::create(std::weak_ptr<AdBidderDelegate> delegate, AdSetting adSetting,
                                                     std::optional<std::int64_t> windowBatchSize) {
    const std::int64_t size = windowBatchSize ? *windowBatchSize : formatSettings(adSetting.adType).windowBatchSize;
    return std::shared_ptr<PassiveBidder>(new PassiveBidder(std::move(delegate), std::move(adSetting), size));
}

PassiveBidder::PassiveBidder(std::weak_ptr<AdBidderDelegate> delegate, AdSetting adSetting, std::int64_t windowBatchSize)
    : Bidder(std::move(delegate), std::move(adSetting)), windowBatchSize_(windowBatchSize) {}

PassiveBidder::~PassiveBidder() = default;

void PassiveBidder::load(std::vector<Ads> lineItems) {
    ads_ = std::move(lineItems);
    startWindowSlide();
}

void PassiveBidder::startWindowSlide() {
    if (!ads_ || winnerBidder() || handedOver_) {
        return;
    }
    const auto count = [this] { return static_cast<std::int64_t>(localCacheAdapters_.size()); };
    const auto total = static_cast<std::int64_t>(ads_->size());
    debugLine([&] {
        return "The localCacheAdapters count is " + std::to_string(count()) + "/ and window size is " +
               std::to_string(windowBatchSize_);
    });
    if (count() < windowBatchSize_) {
        while (currentIndex_ < total) {
            ++currentIndex_;
            debugLine([&] { return "starts loading the index " + std::to_string(currentIndex_) + "/" + std::to_string(total - 1); });
            if (currentIndex_ >= total) {
                debugLine([&] {
                    return "Index out of bound start: " + std::to_string(currentIndex_) + " and end: " + std::to_string(total);
                });
                break;
            }
            takeLineItem((*ads_)[static_cast<std::size_t>(currentIndex_)]);
            if (count() >= windowBatchSize_) {
                break;
            }
        }
    }
    if (localCacheAdapters_.empty()) {
        Logger::debug("localCacheAdapters is empty");
        handOver();
    }
}

void PassiveBidder::takeLineItem(Ads& lineItem) {
    // The registry is read once for the wrapper and the time-out.
    const auto network = SettingsManager::shared()->adapterSettingsSnapshot(lineItem.networkId);
    std::shared_ptr<InternalAdAdapter> adapter = createAdapter(network.get(), lineItem.networkId, adSetting().adType);
    debugLine([&] { return lineItem.encode().dump(); });
    const std::optional<double> timeout = adapter ? getLineItemLoadTimeInterval(lineItem, network.get()) : std::nullopt;
    if (adapter && timeout) {
        localCacheAdapters_.push_back(adapter);
        scheduleAdapterLoad(std::move(adapter), std::move(lineItem), *timeout);
        return;
    }
    fireTrackers(lineItem.trackers.networkLoad, TrackerData::list());
    const SolenAdapterError error = adapterNotFoundError(lineItem);
    logUserInfo(error);
    fireNetworkNoFillTrackers(lineItem, error);
}

std::shared_ptr<InternalAdAdapter> PassiveBidder::headOfWindowWinner() const {
    if (localCacheAdapters_.empty() || localCacheAdapters_.front()->state() != AdapterAdState::loaded) {
        return nullptr;
    }
    return localCacheAdapters_.front();
}

bool PassiveBidder::precedingAdaptersFailed(const InternalAdAdapter& adapter) const {
    const auto it = std::find_if(localCacheAdapters_.begin(), localCacheAdapters_.end(),
                                 [&](const auto& entry) { return entry.get() == &adapter; });
    // An adapter that has left the window (a late report after its time-out) holds no place
    // ahead of which anything could still be loading.
    if (it == localCacheAdapters_.end()) {
        return true;
    }
    return std::all_of(localCacheAdapters_.begin(), it,
                       [](const auto& entry) { return entry->state() == AdapterAdState::failed; });
}

void PassiveBidder::removeAdapter(const InternalAdAdapter& adapter) {
    Logger::debug("removeAdapter");
    const auto it = std::find_if(localCacheAdapters_.begin(), localCacheAdapters_.end(),
                                 [&](const auto& entry) { return entry.get() == &adapter; });
    if (it != localCacheAdapters_.end()) {
        localCacheAdapters_.erase(it);
    }
    debugLine([&] {
        return "Removed " + std::string(AdFormats::rawValue(adapter.format())) + " adapter of line item " +
               (adapter.ad() ? adapter.ad()->lineItemId : std::string()) + ", The cache size is " +
               std::to_string(localCacheAdapters_.size());
    });
}

bool PassiveBidder::ownsLoad(const InternalAdAdapter& adapter) const {
    return !winnerBidder() && !handedOver_ &&
           std::any_of(localCacheAdapters_.begin(), localCacheAdapters_.end(),
                       [&](const auto& entry) { return entry.get() == &adapter; });
}

void PassiveBidder::adAdapterDidLoad(const std::shared_ptr<InternalAdAdapter>&, std::shared_ptr<platform::View>) {
    Logger::debug("adAdapterDidLoad");
    if (winnerBidder() || handedOver_) {
        return;
    }
    if (auto head = headOfWindowWinner()) {
        setWinner(std::move(head));
    }
}

void PassiveBidder::adAdapterDidFail(const std::shared_ptr<InternalAdAdapter>& adapter, SolenAdapterError error) {
    Logger::debug("adAdapterDidFail");
    logUserInfo(error);
    handleAdapterFailure(adapter);
}

void PassiveBidder::handleAdapterFailure(const std::shared_ptr<InternalAdAdapter>& adapter) {
    if (winnerBidder() || handedOver_) {
        return;
    }
    const bool wasHead = precedingAdaptersFailed(*adapter);
    removeAdapter(*adapter);
    if (auto head = headOfWindowWinner()) {
        setWinner(std::move(head));
    } else if (wasHead) {
        startWindowSlide();
    }
}

void PassiveBidder::setWinner(std::shared_ptr<InternalAdAdapter> adapter) {
    const std::shared_ptr<Bidder> self = shared_from_this();
    setWinnerBidder(adapter);
    abandonLoads();  // the window's loads still on their way to a network go no further
    // A won batch takes no more line items; the winner's wrapper keeps its own.
    ads_.reset();
    report([this](AdBidderDelegate& auction) { auction.adBidderAdDidReceive(*this); });
    std::shared_ptr<platform::View> adView;
    if (std::dynamic_pointer_cast<InternalBannerAdapter>(adapter)) {
        if (const auto banner = std::dynamic_pointer_cast<SolenBaseBannerAdapter>(adapter->solenAdAdapter())) {
            adView = callAdapter(*banner, "getAdView", std::shared_ptr<platform::View>(), [&] { return banner->getAdView(); });
        }
    }
    report([this, &adView](AdBidderDelegate& auction) { auction.adBidderDidFinishLoading(*this, std::move(adView)); });
    emptyWindow();
}

void PassiveBidder::emptyWindow() {
    std::vector<std::shared_ptr<InternalAdAdapter>> window;
    window.swap(localCacheAdapters_);
    for (const auto& adapter : window) {
        if (adapter != winnerBidder() && adapter->state() == AdapterAdState::loading) {
            adapter->abandon();
        }
    }
}

void PassiveBidder::handOver() {
    if (handedOver_ || winnerBidder()) {
        return;
    }
    handedOver_ = true;
    abandonLoads();
    moveToNextBatch();
}

}  // namespace solen
