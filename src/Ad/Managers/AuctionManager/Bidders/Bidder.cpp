#include "Ad/Managers/AuctionManager/Bidders/Bidder.h"

#include "Ad/Adapter/AdapterFactory.h"
#include "Ad/Adapter/AdapterRecords.h"
#include "Ad/Adapter/InternalAdapter/AdapterWrapper.h"
#include "Ad/Adapter/InternalAdapter/BannerAdapter.h"
#include "Ad/Adapter/InternalAdapter/InterstitialAdapter.h"
#include "Ad/Adapter/InternalAdapter/NativeAdapter.h"
#include "Ad/Adapter/InternalAdapter/RewardedAdapter.h"
#include "Ad/Adapter/InternalAdapter/SplashAdapter.h"
#include "Ad/RenderEngine/Native/CreativeRenderingEngineData.h"
#include "Commons/Configs/ConfigUtil.h"
#include "Commons/Configs/SettingsManager.h"
#include "Commons/Trackers/TrackerManager.h"
#include "Commons/Utilities/Base64.h"
#include "Commons/Utilities/ClassLookup.h"
#include "Commons/Utilities/Logger.h"
#include "Commons/Utilities/MainQueue.h"
#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Foundation/CharacterSet.h"

#include <solen/adapters/CreativeData.h>
#include <solen/adapters/SolenBaseBannerAdapter.h>
#include <solen/adapters/SolenBaseInterstitialAdapter.h>
#include <solen/adapters/SolenBaseNativeAdapter.h>
#include <solen/adapters/SolenBaseRewardedAdapter.h>
#include <solen/adapters/SolenBaseSplashAdapter.h>

namespace solen {

Bidder::Bidder(std::weak_ptr<AdBidderDelegate> delegate, AdSetting adSetting)
    : delegate_(std::move(delegate)), adSetting_(std::make_shared<const AdSetting>(std::move(adSetting))) {}

Bidder::~Bidder() = default;

Bidder::FormatSettings Bidder::formatSettings(AdFormat adType) {
    const PrimeAdsConfig config = ConfigUtil::clientConfig();
    switch (adType) {
    case AdFormat::banner: return {config.banner.windowBatchSize, config.banner.s2sRenderTimeOut};
    case AdFormat::interstitial:
    case AdFormat::rewarded: return {config.interstitial.windowBatchSize, config.interstitial.s2sRenderTimeOut};
    case AdFormat::native: return {config.native.windowBatchSize, config.native.s2sRenderTimeOut};
    case AdFormat::splash: return {config.splash.windowBatchSize, config.splash.s2sRenderTimeOut};
    }
    return {};
}

std::optional<std::string> Bidder::adAdapterClassName(const std::string& adapterName, AdFormat adType) {
    std::string className;
    if (!AdapterFactory::composeAdapterClassName(adapterName, AdFormats::rawValue(adType), "Adapter", className)) {
        return std::nullopt;
    }
    return className;
}

namespace {

// The format's wrapper around a new network adapter from `cls`, when the class conforms to the
// format's base adapter. (Every bidder takes every format's reports: `Bidder` implements all five
// refinements.)
template <class Wrapper, class BaseAdapter>
std::shared_ptr<InternalAdAdapter> makeWrapped(const platform::ClassRegistry::Class& cls,
                                               const std::weak_ptr<InternalAdapterDelegate>& owner) {
    if (!cls.conformsTo<BaseAdapter>()) {
        return nullptr;
    }
    auto adapter = cls.create<BaseAdapter>();
    return adapter ? Wrapper::create(std::move(adapter), owner) : nullptr;
}

}  // namespace

std::shared_ptr<InternalAdAdapter> Bidder::makeInternalAdapter(const std::string& adapterClassName, AdFormat adType) {
    const auto cls = classFromString(adapterClassName);
    if (!cls) {
        return nullptr;
    }
    if (ownerLink_.expired()) {  // made once: the link to a virtual base is made by locking
        ownerLink_ = std::weak_ptr<InternalAdapterDelegate>(weak_from_this());
    }
    switch (adType) {
    case AdFormat::banner: return makeWrapped<BannerAdapter, SolenBaseBannerAdapter>(*cls, ownerLink_);
    case AdFormat::interstitial: return makeWrapped<InterstitialAdapter, SolenBaseInterstitialAdapter>(*cls, ownerLink_);
    case AdFormat::rewarded: return makeWrapped<RewardedAdapter, SolenBaseRewardedAdapter>(*cls, ownerLink_);
    case AdFormat::native: return makeWrapped<NativeAdapter, SolenBaseNativeAdapter>(*cls, ownerLink_);
    case AdFormat::splash: return makeWrapped<SplashAdapter, SolenBaseSplashAdapter>(*cls, ownerLink_);
    }
    return nullptr;
}

std::shared_ptr<InternalAdAdapter> Bidder::createAdapter(const std::string& networkId, AdFormat adType) {
    return createAdapter(SettingsManager::shared()->adapterSettingsSnapshot(networkId).get(), networkId, adType);
}

std::shared_ptr<InternalAdAdapter> Bidder::createAdapter(const AdapterSettings* network, const std::string& networkId,
                                                         AdFormat adType) {
    if (!network) {
        Logger::log("SDKAdapterSetting not present for networkId " + networkId, 2);
        return nullptr;
    }
    std::shared_ptr<InternalAdAdapter> adapter;
    // Made for every line item: the name is composed in a buffer that each thread keeps.
    thread_local std::string className;
    if (AdapterFactory::composeAdapterClassName(network->config.adapterName, AdFormats::rawValue(adType), "Adapter",
                                                className)) {
        adapter = makeInternalAdapter(className, adType);
    }
    if (!adapter) {
        Logger::log(network->config.adapterName + " adapter not found", 2);
    }
    return adapter;
}

std::optional<double> Bidder::getLineItemLoadTimeInterval(const Ads& lineItem) {
    if (lineItem.timeout && *lineItem.timeout != 0) {
        return static_cast<double>(*lineItem.timeout);
    }
    return getLineItemLoadTimeInterval(lineItem, SettingsManager::shared()->adapterSettingsSnapshot(lineItem.networkId).get());
}

std::optional<double> Bidder::getLineItemLoadTimeInterval(const Ads& lineItem, const AdapterSettings* network) {
    if (lineItem.timeout && *lineItem.timeout != 0) {
        return static_cast<double>(*lineItem.timeout);
    }
    if (network) {
        return network->config.timeout;
    }
    Logger::debug("Netowrk config not found for network id " + lineItem.networkId);
    return std::nullopt;
}

AdapterAdConfiguration Bidder::adapterConfiguration(const Ads& lineItem, const std::optional<AdapterConfig>& network,
                                                    const AdSetting& adSetting) {
    std::optional<platform::Size> adSize;
    if (adSetting.adSize) {
        adSize = platform::Size{adSetting.adSize->width, adSetting.adSize->height};
    }
    AdapterAdConfiguration configuration = makeAdapterAdConfiguration(lineItem, network ? &*network : nullptr, adSize);
    configuration.creativeModel = creativeModel(lineItem, network);
    return configuration;
}

std::shared_ptr<const CreativeDataModelProtocol> Bidder::creativeModel(const Ads& lineItem,
                                                                       const std::optional<AdapterConfig>& network) {
    if (!lineItem.creative) {
        return nullptr;
    }
    const Creative& creative = *lineItem.creative;
    switch (creative.markupType) {
    case MarkupType::default_:
        return nullptr;
    case MarkupType::native:
        return std::make_shared<CreativeRenderingEngineData>(creative);
    case MarkupType::encodedS2s:
        break;
    }
    const std::string* encoded = creative.pubContent.encodedAdMarkupString();
    if (!encoded) {
        return nullptr;
    }
    if (!network || !network->headerBidder) {
        return std::make_shared<CreativeRenderingEngineData>(creative);
    }
    std::optional<std::string> markup = base64Decode(*encoded);
    if (markup && !platform::isValidUtf8(*markup)) {
        markup.reset();
    }
    return std::make_shared<CreativeData>(std::move(markup));
}

void Bidder::fireTrackers(const AdTrackers::UrlList& urls, const Trackers& kind) {
    if (!urls.empty()) {
        AdTracker().fireAdTracker(urls, kind);
    }
}

void Bidder::fireTrackers(const AdTrackers::UrlList& urls, const std::vector<TrackerData>& with) {
    if (!urls.empty()) {
        AdTracker().fire(urls, with);
    }
}

void Bidder::fireNetworkNoFillTrackers(const Ads& lineItem, const SolenAdapterError& error) {
    fireTrackers(lineItem.trackers.networkNoFill,
                 Trackers::networkNoFill("", "", "0", std::string(error.rawValue()), error.errorUserInfoDescription()));
}

void Bidder::scheduleAdapterLoad(std::shared_ptr<InternalAdAdapter> adapter, Ads&& lineItem, double timeoutInMilli) {
    platform::DispatchQueue::global()->async(
        [load = AdapterLoad{std::move(adapter), std::make_shared<const std::optional<Ads>>(std::move(lineItem)), adSetting_,
                            timeoutInMilli, loadClaim(), AdTracker::takeHeld()}]() mutable {
            loadAdapter(std::move(load));
        });
}

void Bidder::loadAdapter(AdapterLoad load) {
    const AdTracker::Holding holding(std::move(load.trackers));
    const Ads& lineItem = **load.lineItem;
    const auto network = SettingsManager::shared()->adapterSettings(lineItem.networkId);
    AdapterAdConfiguration configuration = adapterConfiguration(lineItem, network, *load.adSetting);
    if (network) {
        AdapterFactory::initilizeNetworkSDKOnAdLoad(*network);
    }
    // One hop per line item: the wrapper asks its network from here, unless the bidder has let
    // the load go, and takes its load to main.
    InternalAdAdapter& adapter = *load.adapter;
    adapter.loadFromGlobalQueue(std::move(load.adapter), std::move(load.lineItem), std::move(configuration),
                                load.timeoutInMilli, std::move(load.claim));
}

void Bidder::logUserInfo(const SolenAdapterError& error) {
    if (Logger::logLevel() >= 2) {
        Logger::log(error.errorUserInfoDescription(), 2);
    }
}

void Bidder::moveToNextBatch() {
    const std::shared_ptr<Bidder> self = shared_from_this();
    const auto auction = delegate();
    if (!auction) {
        return;
    }
    auto [lineItems, kind] = auction->nextLineItems();
    if (lineItems && !lineItems->empty() && kind != LineItemBatchKind::none) {
        auction->loadNextBidder(std::move(*lineItems), kind);
    } else {
        auction->sendFailCallback(AdError::auctionNoFill());
    }
}

bool Bidder::isWinner(const std::shared_ptr<InternalAdAdapter>& adapter) const {
    return adapter && adapter == winnerBidder_;
}

void Bidder::adAdapterDidInteract(const std::shared_ptr<InternalAdAdapter>& adapter) {
    Logger::debug("adAdapterDidInteract");
    forwardFromWinner(adapter, [this](AdBidderDelegate& auction) { auction.adBidderDidInteract(*this); });
}

void Bidder::userWillLeaveApplicationFrom(const std::shared_ptr<InternalAdAdapter>& adapter) {
    Logger::debug("userWillLeaveApplicationFrom");
    forwardFromWinner(adapter, [this](AdBidderDelegate& auction) { auction.userWillLeaveApplicationFrom(*this); });
}

void Bidder::adAdapterWillPresentScreen(const std::shared_ptr<InternalAdAdapter>& adapter) {
    Logger::debug("adAdapterWillPresentScreen");
    if (isWinner(adapter)) {
        renderLatency_.markEnd();
    }
    forwardFromWinner(adapter, [this](AdBidderDelegate& auction) { auction.adBidderWillPresentScreen(*this); });
}

void Bidder::adAdapterDidPresentScreen(const std::shared_ptr<InternalAdAdapter>& adapter) {
    Logger::debug("adAdapterDidPresentScreen");
    forwardFromWinner(adapter, [this](AdBidderDelegate& auction) { auction.adBidderDidPresentScreen(*this); });
}

void Bidder::adAdapterWillDismissScreen(const std::shared_ptr<InternalAdAdapter>& adapter) {
    Logger::debug("adAdapterWillDismissScreen");
    forwardFromWinner(adapter, [this](AdBidderDelegate& auction) { auction.adBidderWillDismissScreen(*this); });
}

void Bidder::adAdapterDidDismissScreen(const std::shared_ptr<InternalAdAdapter>& adapter) {
    Logger::debug("adAdapterDidDismissScreen");
    forwardFromWinner(adapter, [this](AdBidderDelegate& auction) { auction.adBidderDidDismissScreen(*this); });
}

void Bidder::adAdapterDidFailToPresentWith(const std::shared_ptr<InternalAdAdapter>& adapter, PresentationError error) {
    Logger::debug("adAdapterDidFailToPresentWith");
    forwardFromWinner(adapter, [this, &error](AdBidderDelegate& auction) {
        auction.adBidderDidFailToPresentWith(*this, std::move(error));
    });
}

void Bidder::adapterDidAdImpression(const std::shared_ptr<InternalAdAdapter>& adapter) {
    Logger::debug("adapterDidAdImpression");
    if (!isWinner(adapter)) {
        return;
    }
    if (const auto& lineItem = adapter->ad()) {
        fireTrackers(lineItem->trackers.impression,
                     Trackers::impression("", adapter->creativeId(), std::to_string(renderLatency_.getLatency())));
    }
    report([this](AdBidderDelegate& auction) { auction.adBidderDidAdImpression(*this); });
}

void Bidder::adAdapterRewardedActionCompletedWith(const std::shared_ptr<InternalAdAdapter>& adapter,
                                                  nlohmann::ordered_json reward) {
    Logger::debug("adAdapterRewardedActionCompletedWith");
    forwardFromWinner(adapter, [this, &reward](AdBidderDelegate& auction) {
        auction.adBidderRewardedActionCompletedWith(*this, std::move(reward));
    });
}

std::shared_ptr<platform::ViewController> Bidder::viewControllerForModalPresentation() {
    const auto auction = delegate();
    return auction ? auction->viewControllerForModalPresentation() : nullptr;
}

SolenAdapterError Bidder::adapterNotFoundError(const Ads& lineItem) const {
    const auto network = SettingsManager::shared()->adapterSettingsSnapshot(lineItem.networkId);
    const std::string name = network ? network->config.adapterName : lineItem.networkId;
    return SolenAdapterError::adapterNotFound(
        SolenErrorData(*this, "The " + name + " adapter requested is either not included or the configuration is invalid",
                       "Please link  the configured network adapter to the app"));
}

}  // namespace solen
