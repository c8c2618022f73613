#include "Ad/Managers/Manager/AdManager.h"

#include "Commons/Configs/ConfigManager.h"
#include "Commons/Configs/ConfigUtil.h"
#include "Commons/Utilities/DecimalText.h"
#include "Commons/Utilities/Logger.h"
#include "Commons/Utilities/MainQueue.h"
#include "Platform/Foundation/UUID.h"
#include "Public/SdkStartup.h"

#include <cmath>

namespace solen {
namespace {

bool usableLength(double length) { return std::isfinite(length) && length >= 0; }

}  // namespace

AdManager::AdManager(std::weak_ptr<AdManagerDelegate> delegate, Dependencies dependencies)
    : delegate_(std::move(delegate)),
      adNetworkInterface_(dependencies.adNetworkInterface ? std::move(dependencies.adNetworkInterface)
                                                          : AdNetworkInterface::create()),
      startup_(dependencies.startup ? std::move(dependencies.startup) : SdkStartup::shared()) {
    // Every outcome hops to main: main wakes while the answer decodes.
    adNetworkInterface_->setWillDecodeAdResponse(wakeMainQueue);
}

AdManager::~AdManager() {
    if (fetchTimer_ && fetchTimer_->state() == TimeKeeper::State::resumed) {
        fetchTimer_->suspend();
    }
    Logger::debug("deinit");
    // The callbacks hold this manager weakly; clearing them lets the client drop them at once.
    adNetworkInterface_->setDidGetAdResponse(nullptr);
    adNetworkInterface_->setDidFailToGetAdResponseWithError(nullptr);
}

void AdManager::runLoad(AdSetting setting) {
    adSetting_ = std::move(setting);
    if (const auto error = validateAdUnit()) {
        sendFailureCallback(*error);
        return;
    }
    startFetchTimer(ConfigUtil::clientConfig().fetchTimeout / 1000);
    fetchAdResponse();
}

std::optional<AdError> AdManager::validateAdUnit() const {
    if (const auto root = ConfigManager::shared()->getConfig(ConfigType::root)) {
        if (const auto* config = std::get_if<RootConfig>(&*root); config && config->sdk.disabled) {
            return AdError::monetizationDisabled();
        }
    }
    if (!startup_->isInitialized()) {
        return AdError::sdkNotInitilize();
    }
    if (!adSetting_ || !adSetting_->adUnitId || adSetting_->adUnitId->empty()) {
        return AdError::invalidAdUnit();
    }
    const auto& size = adSetting_->adSize;
    // A size that cannot be encoded would only end at the fetch time-out, whatever the format.
    if (size && (!usableLength(size->width) || !usableLength(size->height))) {
        return AdError::invalidAdSize();
    }
    if (adSetting_->adType == AdFormat::banner && (!size || size->width == 0 || size->height == 0)) {
        return AdError::invalidAdSize();
    }
    return std::nullopt;
}

void AdManager::startFetchTimer(double seconds) {
    endFetch();
    const std::uint64_t fetch = ++fetchCount_;
    pendingFetch_ = fetch;
    fetchTimer_ = TimeKeeper::create(seconds);
    fetchTimer_->setEventHandler([weakSelf = weak_from_this(), fetch] {
        performOnMainQueue([weakSelf, fetch] {
            const auto self = weakSelf.lock();
            if (!self) return;
            if (self->pendingFetch_ != fetch) {
                Logger::debug("fetch time-out of a finished load dropped");
                return;
            }
            self->timeoutFailure();
        });
    });
    fetchTimer_->resume();
    Logger::debug("fetchTimer has been created with interval " + DecimalText::number(seconds));
}

void AdManager::endFetch() {
    if (fetchTimer_ && fetchTimer_->state() == TimeKeeper::State::resumed) {
        fetchTimer_->suspend();
    }
    fetchTimer_ = nullptr;
    pendingFetch_ = 0;
}

void AdManager::fetchAdResponse() {
    if (!adSetting_ || !adSetting_->adUnitId) {
        Logger::log("adSetting is missing", 2);
        return;
    }
    const std::uint64_t fetch = pendingFetch_;
    // Both outcomes hop to main; there, one whose load is over (failed, timed out, superseded) is
    // dropped.
    const auto arrive = [weakSelf = weak_from_this(), fetch](auto&& handle) {
        performOnMainQueue([weakSelf, fetch, handle = std::forward<decltype(handle)>(handle)]() mutable {
            const auto self = weakSelf.lock();
            if (!self) return;
            if (fetch == 0 || self->pendingFetch_ != fetch) {
                Logger::debug("bid outcome of a finished load dropped");
                return;
            }
            self->adNetworkInterface_->setDidGetAdResponse(nullptr);
            self->adNetworkInterface_->setDidFailToGetAdResponseWithError(nullptr);
            handle(*self);
        });
    };
    // The decoded answer is moved all the way: a copy of it costs about half a decode.
    adNetworkInterface_->setDidGetAdResponse([arrive](AdResponse response, const std::string& requestId) {
        arrive([response = std::move(response), requestId](AdManager& self) mutable {
            self.didGetAdResponse(std::move(response), requestId);
        });
    });
    adNetworkInterface_->setDidFailToGetAdResponseWithError([arrive](const AdError& error, const std::string& requestId) {
        arrive([error, requestId](AdManager& self) { self.didFailToGetAdResponse(error, requestId); });
    });
    adNetworkInterface_->getAd(platform::UUID().uuidString(), *adSetting_->adUnitId, ImpressionInfo::from(*adSetting_));
}

void AdManager::didGetAdResponse(AdResponse response, const std::string&) {
    endFetch();
    if (response.rewardedVideo.value_or(false) && adSetting_) {
        if (adSetting_->adType == AdFormat::interstitial) {
            adSetting_->adType = AdFormat::rewarded;
        } else {
            Logger::debug("rewardedVideo ignored for a " + std::string(AdFormats::rawValue(adSetting_->adType)) + " load");
        }
    }
    if (response.refreshConfig) {
        ConfigManager::shared()->refreshMediationConfig();
    }
    startAdAuction(std::move(response));
}

void AdManager::didFailToGetAdResponse(const AdError& error, const std::string&) {
    endFetch();
    sendFailureCallback(error);
}

void AdManager::startAdAuction(AdResponse response) {
    if (!adSetting_) {
        sendFailureCallback(AdError::internalError());
        Logger::error("adSetting is missing");
        return;
    }
    auctioneer_ = Auctioneer::create(std::static_pointer_cast<AuctioneerDelegate>(shared_from_this()), *adSetting_);
    // The auction may end inside its start, and the end may release it: keep it for the call.
    const std::shared_ptr<Auctioneer> auction = auctioneer_;
    auction->startAuction(std::move(response));
}

void AdManager::timeoutFailure() {
    Logger::error(AdError::fetchTimeOut().description());
    sendFailureCallback(AdError::fetchTimeOut());
}

void AdManager::sendFailureCallback(AdError error) {
    endFetch();
    auctioneer_ = nullptr;
    notify([&](AdManagerDelegate& delegate) { delegate.adManagerDidFailToLoadWith(*this, error); });
}

void AdManager::auctioneerDidFinishLoading(Auctioneer&, std::shared_ptr<platform::View> adView) {
    Logger::debug("auctioneerDidFinishLoading");
    notify([&](AdManagerDelegate& delegate) { delegate.adManagerDidFinishLoading(*this, adView); });
}

void AdManager::auctioneerDidFailToLoadWith(Auctioneer&, AdError error) {
    Logger::debug("auctioneer didFailToLoadWith " + error.description());
    sendFailureCallback(std::move(error));
}

void AdManager::auctioneerDidInteract(Auctioneer&) {
    Logger::debug("auctioneerDidInteract");
    notify([&](AdManagerDelegate& delegate) { delegate.adManagerDidInteract(*this); });
}

void AdManager::userWillLeaveApplicationFrom(Auctioneer&) {
    Logger::debug("userWillLeaveApplicationFrom");
    notify([&](AdManagerDelegate& delegate) { delegate.userWillLeaveApplicationFrom(*this); });
}

void AdManager::auctioneerWillPresentScreen(Auctioneer&) {
    Logger::debug("auctioneerWillPresentScreen");
    notify([&](AdManagerDelegate& delegate) { delegate.adManagerWillPresentScreen(*this); });
}

void AdManager::auctioneerDidPresentScreen(Auctioneer&) {
    Logger::debug("auctioneerDidPresentScreen");
    notify([&](AdManagerDelegate& delegate) { delegate.adManagerDidPresentScreen(*this); });
}

void AdManager::auctioneerWillDismissScreen(Auctioneer&) {
    Logger::debug("auctioneerWillDismissScreen");
    notify([&](AdManagerDelegate& delegate) { delegate.adManagerWillDismissScreen(*this); });
}

void AdManager::auctioneerDidDismissScreen(Auctioneer&) {
    Logger::debug("auctioneerDidDismissScreen");
    notify([&](AdManagerDelegate& delegate) { delegate.adManagerDidDismissScreen(*this); });
}

void AdManager::auctioneerDidFailToPresentWith(Auctioneer&, PresentationError) {
    Logger::debug("auctioneer didFailToPresentWith");
}

void AdManager::auctioneerRewardedActionCompletedWith(Auctioneer& auctioneer, nlohmann::ordered_json) {
    Logger::debug("auctioneer rewardedActionCompletedWith " + std::string(auctioneer.adSetting().adUnitId.value_or("")));
}

void AdManager::auctioneerDidAdImpression(Auctioneer&, std::optional<nlohmann::ordered_json> impressionData) {
    Logger::debug("auctioneerDidAdImpression");
    notify([&](AdManagerDelegate& delegate) { delegate.adManagerDidAdImpression(*this, impressionData); });
}

std::shared_ptr<platform::ViewController> AdManager::viewControllerForModalPresentation() { return nullptr; }

}  // namespace solen
