#include "Ad/Managers/AuctionManager/Auctioneer.h"

#include "Ad/Adapter/InternalAdapter/InternalAdAdapter.h"
#include "Ad/Managers/AuctionManager/AdTrackers/AdTracker.h"
#include "Ad/Managers/AuctionManager/Bidders/Header/HeaderBidder.h"
#include "Ad/Managers/AuctionManager/Bidders/Passive/PassiveBidder.h"
#include "Ad/Managers/AuctionManager/Bidders/S2s/S2sBidder.h"
#include "Commons/Configs/SettingsManager.h"
#include "Commons/Utilities/DecimalText.h"
#include "Commons/Utilities/Logger.h"
#include "Commons/Utilities/MainQueue.h"

namespace solen {
namespace {

std::string latencyText(const LatencyInterval& latency) { return std::to_string(latency.getLatency()); }

}  // namespace

std::shared_ptr<Auctioneer> Auctioneer::create(std::weak_ptr<AuctioneerDelegate> delegate, AdSetting adSetting) {
    return std::shared_ptr<Auctioneer>(new Auctioneer(std::move(delegate), std::move(adSetting)));
}

Auctioneer::Auctioneer(std::weak_ptr<AuctioneerDelegate> delegate, AdSetting adSetting)
    : delegate_(std::move(delegate)), adSetting_(std::move(adSetting)) {}

Auctioneer::~Auctioneer() {
    if (phase_ != Phase::won) {
        fireNoAdFill(objectDeallocatedError());
    }
    fireLineItemErrors(objectDeallocatedError());
    killAuctionTimer();
}

SolenAdapterError Auctioneer::objectDeallocatedError() const {
    return SolenAdapterError::objectDeallocated(
        SolenErrorData(*this, "Auction failed to get a fill because the object was deallocated",
                       "Please try again, or reach out to " + std::string(SolenAdapterError::supportAddress)));
}

void Auctioneer::startAuction(AdResponse response) {
    if (phase_ != Phase::created) {
        Logger::error("startAuction called twice");
        return;
    }
    const std::shared_ptr<Auctioneer> self = shared_from_this();  // the manager may let go inside a report
    const std::string unit = adSetting_.adUnitId ? "Optional(\"" + *adSetting_.adUnitId + "\")" : "nil";
    Logger::log("Start conducting an auction for " + unit + " " + std::string(AdFormats::rawValue(adSetting_.adType)), 2);
    const auto timeout = static_cast<double>(response.auctionTimeout);
    adResponse_ = std::move(response);
    phase_ = Phase::running;
    auctionLatency_.markStart();
    loadLatency_.markStart();
    startAuctionTimer(timeout);
    auto [lineItems, kind] = nextLineItems();
    if (!lineItems || lineItems->empty() || kind == LineItemBatchKind::none) {
        sendFailCallback(AdError::auctionNoFill());
    } else {
        loadNextBidder(std::move(*lineItems), kind);
    }
}

void Auctioneer::startAuctionTimer(double milliseconds) {
    if (auctionTimer_ && auctionTimer_->state() == TimeKeeper::State::resumed) {
        auctionTimer_->suspend();
    }
    const double seconds = milliseconds / 1000;
    auctionTimer_ = TimeKeeper::create(seconds);
    auctionTimer_->setEventHandler([weakSelf = weak_from_this()] {
        performOnMainQueue([weakSelf] {
            if (const auto self = weakSelf.lock()) {
                self->auctionTimeoutFailure();
            }
        });
    });
    auctionTimer_->resume();
    Logger::debug("auctionTimer has been created with interval " + DecimalText::number(seconds));
}

void Auctioneer::killAuctionTimer() {
    if (!auctionTimer_) {
        return;
    }
    if (auctionTimer_->state() == TimeKeeper::State::resumed) {
        auctionTimer_->suspend();
    }
    Logger::debug("auctionTimer suspended");
}

void Auctioneer::auctionTimeoutFailure() {
    Logger::debug("auctionTimeoutFailure");
    if (phase_ == Phase::running) {
        sendFailCallback(AdError::auctionTimeout());
    }
}

AdBidderDelegate::Batch Auctioneer::nextLineItems() {
    if (!adResponse_) {
        return {std::nullopt, LineItemBatchKind::none};
    }
    return nextLineItems(adResponse_->ads);
}

AdBidderDelegate::Batch Auctioneer::nextLineItems(std::vector<Ads>& remaining) {
    if (remaining.empty()) {
        return {std::nullopt, LineItemBatchKind::none};
    }
    const auto settings = SettingsManager::shared();
    // The positions taken, in order; they leave `remaining` in one pass at the end (erasing each
    // on its own would shift the rest of the response once per line item).
    std::vector<std::size_t> taken;
    LineItemBatchKind kind = LineItemBatchKind::passive;
    for (std::size_t index = 0; index < remaining.size(); ++index) {
        const Ads& lineItem = remaining[index];
        const auto network = settings->adapterSettingsSnapshot(lineItem.networkId);
        if (network && !network->config.headerBidder) {
            taken.push_back(index);
            continue;
        }
        if (!taken.empty()) {
            break;  // a header-bidding or unregistered item ends the passive run and stays
        }
        if (network || lineItem.s2s.value_or(false)) {
            taken.push_back(index);
            kind = network ? LineItemBatchKind::header : LineItemBatchKind::s2s;
            break;
        }
        // unregistered and not server-to-server: never loaded, stays for the bid-loss trackers
    }
    std::vector<Ads> batch;
    batch.reserve(taken.size());
    if (!taken.empty()) {
        std::size_t next = 0;  // into `taken`
        std::size_t kept = taken.front();
        for (std::size_t index = taken.front(); index < remaining.size(); ++index) {
            if (next < taken.size() && taken[next] == index) {
                batch.push_back(std::move(remaining[index]));
                ++next;
            } else {
                if (kept != index) {
                    remaining[kept] = std::move(remaining[index]);
                }
                ++kept;
            }
        }
        remaining.erase(remaining.begin() + static_cast<std::ptrdiff_t>(kept), remaining.end());
    }
    return {std::move(batch), kind};
}

void Auctioneer::loadNextBidder(std::vector<Ads> lineItems, LineItemBatchKind kind) {
    if (phase_ != Phase::running) {
        Logger::debug("loadNextBidder after the auction ended");
        return;
    }
    const std::weak_ptr<AdBidderDelegate> self = weak_from_this();
    std::shared_ptr<Bidder> bidder;
    switch (kind) {
    case LineItemBatchKind::passive: bidder = PassiveBidder::create(self, adSetting_); break;
    case LineItemBatchKind::header: bidder = HeaderBidder::create(self, adSetting_); break;
    case LineItemBatchKind::s2s: bidder = S2sBidder::create(self, adSetting_); break;
    case LineItemBatchKind::none: sendFailCallback(AdError::auctionNoFill()); return;
    }
    bidder_ = bidder;
    bidder->load(std::move(lineItems));
}

void Auctioneer::sendFailCallback(AdError error) {
    if (phase_ != Phase::running) {
        Logger::debug("sendFailCallback after the auction ended: " + error.message());
        return;
    }
    Logger::debug("sendFailCallback " + error.message());
    phase_ = Phase::failed;
    killAuctionTimer();
    auctionLatency_.markEnd();
    loadLatency_.markEnd();
    const bool timedOut = error.kind() == AdError::Kind::auctionTimeout;
    const SolenAdapterError adapterError =
        timedOut ? SolenAdapterError::auctionTimeout(SolenErrorData(*this, "Failed to get an ad because the auction timed out", ""))
                 : SolenAdapterError::noFill(SolenErrorData(*this, "Auction did not return an ad", "Please try again"));
    fireNoAdFill(adapterError);
    fireLineItemErrors(timedOut ? std::optional<SolenAdapterError>(adapterError) : std::nullopt);
    report([this, &error](AuctioneerDelegate& manager) { manager.auctioneerDidFailToLoadWith(*this, std::move(error)); });
}

void Auctioneer::fireNoAdFill(const SolenAdapterError& error) {
    if (!adResponse_ || !shouldFireNoAdFill_) {
        return;
    }
    shouldFireNoAdFill_ = false;
    Bidder::fireTrackers(TrackerUrlList{adResponse_->noAdFillEventUrl},
                         Trackers::noAdFillEventUrl(latencyText(loadLatency_), latencyText(auctionLatency_),
                                                    std::string(error.rawValue()), error.errorUserInfoDescription()));
}

void Auctioneer::fireLineItemErrors(const std::optional<SolenAdapterError>& error) {
    if (!adResponse_) {
        return;
    }
    // Taking the list also lets go of its storage, which the batches emptied but kept.
    std::vector<Ads> losers;
    losers.swap(adResponse_->ads);
    if (losers.empty()) {
        return;
    }
    const std::string reason = error ? std::string(error->rawValue()) : std::string();
    const std::string descriptor = error ? error->errorUserInfoDescription() : std::string();
    // One block sends every loser's list, in line-item order (a response may hold many losers).
    const auto macros = Trackers::bidLoss("", "", reason, descriptor).macros();
    std::vector<AdTracker::Firing> firings;
    for (Ads& lineItem : losers) {
        if (auto& urls = lineItem.trackers.bidLoss; !urls.empty()) {
            firings.push_back({std::move(urls), macros});
        }
    }
    AdTracker().fireLater(std::move(firings));
}

bool Auctioneer::acceptsOutcomeOf(const Bidder& bidder, const char* what) const {
    if (phase_ == Phase::running && &bidder == bidder_.get()) {
        return true;
    }
    Logger::debug(std::string(what) + " ignored: the auction has ended or the bidder was replaced");
    return false;
}

void Auctioneer::adBidderAdDidReceive(Bidder& bidder) {
    if (!acceptsOutcomeOf(bidder, "adBidderAdDidReceive")) {
        return;
    }
    killAuctionTimer();
    auctionLatency_.markEnd();
    loadLatency_.markEnd();
}

void Auctioneer::adBidderDidFinishLoading(Bidder& bidder, std::shared_ptr<platform::View> adView) {
    if (!acceptsOutcomeOf(bidder, "adBidderDidFinishLoading")) {
        return;
    }
    phase_ = Phase::won;
    shouldFireNoAdFill_ = false;
    Logger::debug("adBidderDidFinishLoading");
    loadLatency_.markEnd();
    if (const auto& winner = bidder.winnerBidder(); winner && winner->ad()) {
        Bidder::fireTrackers(winner->ad()->trackers.adFill, Trackers::adFill("", winner->creativeId(), latencyText(loadLatency_),
                                                                             latencyText(auctionLatency_)));
    }
    fireLineItemErrors(std::nullopt);
    report([this, &adView](AuctioneerDelegate& manager) { manager.auctioneerDidFinishLoading(*this, std::move(adView)); });
}

void Auctioneer::adBidderDidInteract(Bidder& bidder) {
    Logger::debug("adBidderDidInteract");
    if (const auto& winner = bidder.winnerBidder(); winner && winner->ad()) {
        Bidder::fireTrackers(winner->ad()->trackers.click, Trackers::click("", winner->creativeId()));
    }
    report([this](AuctioneerDelegate& manager) { manager.auctioneerDidInteract(*this); });
}

void Auctioneer::userWillLeaveApplicationFrom(Bidder&) {
    Logger::debug("userWillLeaveApplicationFrom");
    report([this](AuctioneerDelegate& manager) { manager.userWillLeaveApplicationFrom(*this); });
}

void Auctioneer::adBidderWillPresentScreen(Bidder&) {
    Logger::debug("adBidderWillPresentScreen");
    report([this](AuctioneerDelegate& manager) { manager.auctioneerWillPresentScreen(*this); });
}

void Auctioneer::adBidderDidPresentScreen(Bidder&) {
    Logger::debug("adBidderDidPresentScreen");
    report([this](AuctioneerDelegate& manager) { manager.auctioneerDidPresentScreen(*this); });
}

void Auctioneer::adBidderWillDismissScreen(Bidder&) {
    Logger::debug("adBidderWillDismissScreen");
    report([this](AuctioneerDelegate& manager) { manager.auctioneerWillDismissScreen(*this); });
}

void Auctioneer::adBidderDidDismissScreen(Bidder&) {
    Logger::debug("adBidderDidDismissScreen");
    report([this](AuctioneerDelegate& manager) { manager.auctioneerDidDismissScreen(*this); });
}

void Auctioneer::adBidderDidFailToPresentWith(Bidder&, PresentationError error) {
    Logger::debug("adBidderDidFailToPresentWith");
    report([this, &error](AuctioneerDelegate& manager) { manager.auctioneerDidFailToPresentWith(*this, std::move(error)); });
}

void Auctioneer::adBidderRewardedActionCompletedWith(Bidder&, nlohmann::ordered_json rewards) {
    if (adResponse_ && adResponse_->rewards && adResponse_->rewards->is_object()) {
        rewards = *adResponse_->rewards;
    } else {
        Logger::error("Solen reward missing");
    }
    Logger::debug("Reward value " + rewards.dump());
    report([this, &rewards](AuctioneerDelegate& manager) {
        manager.auctioneerRewardedActionCompletedWith(*this, std::move(rewards));
    });
}

void Auctioneer::adBidderDidAdImpression(Bidder& bidder) {
    Logger::debug("adBidderDidAdImpression");
    std::optional<nlohmann::ordered_json> impressionData;
    if (const auto& winner = bidder.winnerBidder(); winner && winner->ad() && winner->ad()->impressionData &&
                                                   winner->ad()->impressionData->is_object()) {
        impressionData = winner->ad()->impressionData;
    }
    report([this, &impressionData](AuctioneerDelegate& manager) {
        manager.auctioneerDidAdImpression(*this, std::move(impressionData));
    });
}

std::shared_ptr<platform::ViewController> Auctioneer::viewControllerForModalPresentation() {
    const auto manager = delegate_.lock();
    return manager ? manager->viewControllerForModalPresentation() : nullptr;
}

}  // namespace solen
