#include "Ad/Adapter/InternalAdapter/AdapterWrapper.h"

#include "Ad/Adapter/AdapterCall.h"
#include "Ad/Adapter/AdapterFactory.h"
#include "Ad/Adapter/InternalAdapter/BannerAdapter.h"
#include "Ad/Adapter/InternalAdapter/InterstitialAdapter.h"
#include "Ad/Adapter/InternalAdapter/NativeAdapter.h"
#include "Ad/Adapter/InternalAdapter/RewardedAdapter.h"
#include "Ad/Adapter/InternalAdapter/SplashAdapter.h"
#include "Commons/Configs/SettingsManager.h"
#include "Commons/Utilities/Logger.h"
#include "Commons/Utilities/MainQueue.h"
#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Dispatch/MainLoop.h"

#include <string>
#include <utility>

namespace solen {

namespace {

// The wrapper of `Wrapper`'s format when `adapter` is of its protocol.
template <class Wrapper, class Protocol>
std::shared_ptr<InternalAdAdapter> wrap(const std::shared_ptr<SolenBaseAdAdapter>& adapter,
                                        std::weak_ptr<InternalAdapterDelegate> owner,
                                        std::shared_ptr<TrackerManager> trackerManager) {
    auto typed = std::dynamic_pointer_cast<Protocol>(adapter);
    return typed ? Wrapper::create(std::move(typed), std::move(owner), std::move(trackerManager)) : nullptr;
}

std::string supportSuggestion() { return std::string("Please contact ") + SolenAdapterError::supportAddress; }

// What a wrapper holds before its load: one shared empty value each.
const std::shared_ptr<const std::optional<Ads>>& noAd() {
    static const auto* empty = new std::shared_ptr<const std::optional<Ads>>(std::make_shared<const std::optional<Ads>>());
    return *empty;
}
const std::shared_ptr<const std::optional<AdapterAdConfiguration>>& noConfiguration() {
    static const auto* empty = new std::shared_ptr<const std::optional<AdapterAdConfiguration>>(
        std::make_shared<const std::optional<AdapterAdConfiguration>>());
    return *empty;
}

}  // namespace

std::shared_ptr<InternalAdAdapter> AdapterWrapper::create(AdFormat format, std::shared_ptr<SolenBaseAdAdapter> adapter,
                                                          std::weak_ptr<InternalAdapterDelegate> owner,
                                                          std::shared_ptr<TrackerManager> trackerManager) {
    switch (format) {
        case AdFormat::banner:
            return wrap<BannerAdapter, SolenBaseBannerAdapter>(adapter, std::move(owner), std::move(trackerManager));
        case AdFormat::interstitial:
            return wrap<InterstitialAdapter, SolenBaseInterstitialAdapter>(adapter, std::move(owner),
                                                                           std::move(trackerManager));
        case AdFormat::rewarded:
            return wrap<RewardedAdapter, SolenBaseRewardedAdapter>(adapter, std::move(owner), std::move(trackerManager));
        case AdFormat::native:
            return wrap<NativeAdapter, SolenBaseNativeAdapter>(adapter, std::move(owner), std::move(trackerManager));
        case AdFormat::splash:
            return wrap<SplashAdapter, SolenBaseSplashAdapter>(adapter, std::move(owner), std::move(trackerManager));
    }
    return nullptr;
}

AdapterWrapper::AdapterWrapper(AdFormat format, Gate gate, std::shared_ptr<SolenBaseAdAdapter> adapter,
                               std::weak_ptr<InternalAdapterDelegate> owner,
                               std::shared_ptr<TrackerManager> trackerManager)
    : format_(format),
      gate_(gate),
      internaldelegate_(std::move(owner)),
      solenAdAdapter_(std::move(adapter)),
      tracker_(std::move(trackerManager)),
      ad_(noAd()),
      adConfiguration_(noConfiguration()) {}

AdapterWrapper::~AdapterWrapper() {
    // Nobody is told: the owner asks with `abandon()` before it lets go.
    if (state_ == AdapterAdState::loading) {
        fail(objectDeallocatedError(), false);
    }
    killAdTimer();
}

void AdapterWrapper::load(Ads ad, AdapterAdConfiguration adConfiguration, double timeoutInMilli) {
    const auto keep = shared_from_this();  // the bidder may let go of the wrapper when told of a failure
    beginLoad(std::make_shared<const std::optional<Ads>>(std::move(ad)),
              std::make_shared<const std::optional<AdapterAdConfiguration>>(std::move(adConfiguration)),
              platform::Clock::shared()->wallNow());
    const auto* loadTrackers = trackerList(&AdTrackers::networkLoad);
    if (auto unsent = unsentLoadError(networkReadiness((*ad_)->networkId), timeoutInMilli)) {
        if (loadTrackers) {
            tracker_.fireAdTracker(*loadTrackers, Trackers::networkLoad(""));
        }
        fail(std::move(*unsent), true);
        return;
    }
    startAdLoadTimer(timeoutInMilli);
    // The network-load trackers are built and leave from the block that asks the network to load:
    // one block, and one worker woken, less per line item, and no URL work on the main thread. The
    // block shares the line item that `loadTrackers` points into.
    platform::DispatchQueue::global()->async([weak = weak_from_this(), adapter = solenAdAdapter_, ad = ad_,
                                              configuration = adConfiguration_, tracker = tracker_, loadTrackers] {
        if (loadTrackers) {
            tracker.fireFromCurrentQueue(*loadTrackers, Trackers::networkLoad(""));
        }
        callNetwork(weak, *adapter, **configuration);
    });
}

void AdapterWrapper::loadFromGlobalQueue(std::shared_ptr<InternalAdAdapter> self, SharedLineItem sharedAd,
                                         AdapterAdConfiguration adConfiguration, double timeoutInMilli,
                                         InternalAdapterDelegate::LoadClaim claim) {
    if (claim.expired()) {
        // The bidder is gone or has given its loads up: nobody would hear of this one, so neither
        // a tracker nor the network hears of it. The wrapper is let go on main.
        performOnMainQueue([self = std::move(self)] {});
        return;
    }
    // Only what the wrapper was made with is read here; its load's state changes on main.
    std::optional<SolenAdapterError> unsent =
        unsentLoadError(*sharedAd ? networkReadiness((*sharedAd)->networkId) : std::nullopt, timeoutInMilli);
    const bool sends = !unsent;
    if (trackerList(*sharedAd, &AdTrackers::networkLoad)) {
        // Made and sent from a block of their own: the network is asked without waiting for them.
        tracker_.fireLater([sharedAd] {
            return std::vector<AdTracker::Firing>{{(*sharedAd)->trackers.networkLoad, Trackers::networkLoad("").macros()}};
        });
    }
    SharedConfiguration configuration = std::make_shared<const std::optional<AdapterAdConfiguration>>(std::move(adConfiguration));
    // The load timer's costly making happens here; it runs from its start on main.
    std::shared_ptr<TimeKeeper> timer = sends ? AdTimeout::make(timeoutInMilli) : nullptr;
    const std::weak_ptr<AdapterWrapper> weak = weak_from_this();
    const std::shared_ptr<SolenBaseAdAdapter> adapter = solenAdAdapter_;
    // The load is under way on main before any answer of the network can get there. The wrapper
    // goes along, so that this step never holds its last reference (a network that keeps it for
    // the whole of its `load` may).
    performOnMainQueue([wrapper = this, self = std::move(self), sharedAd = std::move(sharedAd), configuration,
                        startedAt = platform::Clock::shared()->wallNow(), unsent = std::move(unsent), timeoutInMilli,
                        timer = std::move(timer)]() mutable {
        wrapper->beginLoad(std::move(sharedAd), std::move(configuration), startedAt);
        const auto bidder = wrapper->internaldelegate();
        if (!bidder || wrapper->letGo_ || !bidder->ownsLoad(*wrapper)) {
            // The bidder let the load go after this step read its claim: the network-load trackers
            // have left and, unless the load failed at once, the network was asked. The load ends
            // as one let go while loading does, with its trackers and no report.
            wrapper->letGo(unsent ? std::move(*unsent) : wrapper->objectDeallocatedError());
            return;
        }
        if (unsent) {
            wrapper->fail(std::move(*unsent), true);
        } else {
            wrapper->startLoadTimer(timeoutInMilli, std::move(timer));
        }
    });
    if (sends) {
        // Trackers held back for this load step leave before the network is asked.
        AdTracker::sendHeld();
        callNetwork(weak, *adapter, **configuration);
    }
}

void AdapterWrapper::beginLoad(SharedAd ad, SharedConfiguration adConfiguration, LatencyInterval::TimePoint startedAt) {
    ad_ = std::move(ad);
    adConfiguration_ = std::move(adConfiguration);
    state_ = AdapterAdState::loading;
    networkLatency_.setStart(startedAt);
}

std::optional<SolenAdapterError> AdapterWrapper::unsentLoadError(std::optional<SolenAdapterError> readinessError,
                                                                 double timeoutInMilli) const {
    if (readinessError) {
        return readinessError;
    }
    if (!(timeoutInMilli > 0)) {
        return lineItemTimeoutError();
    }
    return std::nullopt;
}

void AdapterWrapper::callNetwork(const std::weak_ptr<AdapterWrapper>& wrapper, SolenBaseAdAdapter& adapter,
                                 const AdapterAdConfiguration& configuration) {
    const auto failure = adapterCallFailure(typeid(adapter), "load", [&] { adapter.load(configuration); });
    if (!failure) {
        return;
    }
    auto error = SolenAdapterError::adapterError(SolenErrorData(adapter, *failure, "Please try again"));
    performOnMainQueue([wrapper, error = std::move(error)] {
        if (const auto alive = wrapper.lock(); alive && !alive->letGo_) {
            alive->fail(error, true);
        }
    });
}

std::optional<std::string> AdapterWrapper::creativeId() {
    return callAdapter(*solenAdAdapter_, "getCreativeId", std::optional<std::string>(),
                       [this] { return solenAdAdapter_->getCreativeId(); });
}

void AdapterWrapper::abandon() {
    const auto keep = shared_from_this();
    if (state_ == AdapterAdState::loading) {
        fail(objectDeallocatedError(), true);
    }
    letGo_ = true;
    stopTimers();
}

void AdapterWrapper::letGo(SolenAdapterError error) {
    letGo_ = true;
    fail(std::move(error), false);
}

void AdapterWrapper::startAdLoadTimer(double withIntervalInMilli) { startLoadTimer(withIntervalInMilli, nullptr); }

void AdapterWrapper::startLoadTimer(double milliseconds, std::shared_ptr<TimeKeeper> made) {
    loadTimeout_.start(milliseconds, weak_from_this(), [this] { timeoutFailure(); }, std::move(made));
}

void AdapterWrapper::killAdTimer() { loadTimeout_.kill(); }

void AdapterWrapper::timeoutFailure() {
    if (state_ != AdapterAdState::loading) {
        return;
    }
    fail(lineItemTimeoutError(), true);
}

SolenAdapterError AdapterWrapper::lineItemTimeoutError() const {
    return SolenAdapterError::lineItemTimeout(
        SolenErrorData(solenAdAdapter_, "The network adapter timed out", "Please try again"));
}

void AdapterWrapper::stopTimers() { killAdTimer(); }

std::optional<SolenAdapterError> AdapterWrapper::networkReadiness(const std::string& networkId) const {
    const auto settings = SettingsManager::shared()->adapterSettingsSnapshot(networkId);
    if (!settings) {
        return std::nullopt;  // the line item loads without an SDK-level adapter
    }
    const AdapterConfig& network = settings->config;
    const auto& adapterName = network.adapterName;
    const auto sdkAdapter = AdapterFactory::sdkAdapter(network);
    if (!sdkAdapter) {
        return SolenAdapterError::adapterInitializationFailed(SolenErrorData(
            *this, "Not able to find the SDKAdapter class of this network" + adapterName, supportSuggestion()));
    }
    const auto result = sdkAdapter->sdkInitializedResult();
    if (auto error = result.failureError()) {
        return error;
    }
    if (!result.isReady()) {
        return SolenAdapterError::adapterInitializationFailed(
            SolenErrorData(*this, adapterName + " adapter not initialized yet", supportSuggestion()));
    }
    return std::nullopt;
}

SolenAdapterError AdapterWrapper::objectDeallocatedError() const {
    return SolenAdapterError::objectDeallocated(SolenErrorData(
        solenAdAdapter_, "Adapter failed to get a fill because the object was deallocated",
        std::string("Please try again. If you see this error consistently please reach out to ") +
            SolenAdapterError::supportAddress));
}

const AdTrackers::UrlList* AdapterWrapper::trackerList(AdTrackers::UrlList AdTrackers::*list) const {
    return trackerList(*ad_, list);
}

const AdTrackers::UrlList* AdapterWrapper::trackerList(const std::optional<Ads>& ad, AdTrackers::UrlList AdTrackers::*list) {
    if (!ad) {
        return nullptr;
    }
    const auto& urls = ad->trackers.*list;
    return urls.empty() ? nullptr : &urls;
}

void AdapterWrapper::fail(SolenAdapterError error, bool report) {
    // The trackers wait for what the report sets off: the next line item's load step sends them.
    const AdTracker::Holding holding;
    state_ = AdapterAdState::failed;
    // The timer is stopped once the report has set off the next line item's load.
    loadTimeout_.disarm();
    networkLatency_.markEnd();
    const bool noFill = trackerList(&AdTrackers::networkNoFill) != nullptr;
    const bool bidLoss = trackerList(&AdTrackers::bidLoss) != nullptr;
    if (noFill || bidLoss) {
        // Both lists of the moment leave together, no-fill first. Only the creative id is asked
        // here (the network adapter is asked on main); the macro values are made on the trackers'
        // queue, from the line item that the block shares. The block also shares the stopped load
        // timer and the configuration: when the wrapper goes first, as it usually does, none of
        // them is released on main.
        tracker_.fireLater([ad = ad_, error, creative = creativeId(), latency = networkLatency_.getLatency(), noFill,
                            bidLoss, timer = loadTimeout_.keeper(), configuration = adConfiguration_] {
            const std::string dropReason(error.rawValue());
            const auto descriptor = error.errorUserInfoDescription();
            const AdTrackers& trackers = (*ad)->trackers;
            std::vector<AdTracker::Firing> firings;
            if (noFill) {
                firings.push_back({trackers.networkNoFill,
                                   Trackers::networkNoFill("", creative, std::to_string(latency), dropReason, descriptor).macros()});
            }
            if (bidLoss) {
                firings.push_back({trackers.bidLoss, Trackers::bidLoss("", creative, dropReason, descriptor).macros()});
            }
            return firings;
        });
    }
    if (!report) {
        loadTimeout_.suspendDisarmed();
        return;
    }
    const auto keep = self();  // the bidder may let go of the wrapper when told
    if (const auto bidder = internaldelegate()) {
        bidder->adAdapterDidFail(keep, std::move(error));
    }
    loadTimeout_.suspendDisarmed();
}

void AdapterWrapper::didLoad(std::shared_ptr<platform::View> adView, LatencyInterval::TimePoint arrival) {
    state_ = AdapterAdState::loaded;
    killAdTimer();
    networkLatency_.setEnd(arrival);
    if (const auto* urls = trackerList(&AdTrackers::networkFill)) {
        tracker_.fireAdTracker(*urls,
                               Trackers::networkFill("", creativeId(), std::to_string(networkLatency_.getLatency())));
    }
    if (const auto bidder = internaldelegate()) {
        bidder->adAdapterDidLoad(self(), std::move(adView));
    }
}

void AdapterWrapper::logCallback(std::string_view name) { Logger::debug(name); }

std::shared_ptr<InternalAdapterDelegate> AdapterWrapper::gatedDelegate() const {
    auto bidder = internaldelegate();
    return bidder && gate_(*bidder) ? bidder : nullptr;
}

void AdapterWrapper::reportGated(
    const std::function<void(InternalAdapterDelegate& bidder, const std::shared_ptr<InternalAdAdapter>& adapter)>&
        report) {
    if (const auto bidder = gatedDelegate()) {
        report(*bidder, self());
    }
}

void AdapterWrapper::forwardGated(std::string_view callback, GatedReport report) {
    onMain([callback, report](AdapterWrapper& wrapper) {
        logCallback(callback);
        wrapper.reportGated([report](InternalAdapterDelegate& bidder, const std::shared_ptr<InternalAdAdapter>& adapter) {
            (bidder.*report)(adapter);
        });
    });
}

std::shared_ptr<platform::ViewController> AdapterWrapper::answerOnMain(
    const std::function<std::shared_ptr<platform::ViewController>()>& query) const {
    auto& mainLoop = platform::MainLoop::shared();
    if (mainLoop.isMainThread()) {
        return query();
    }
    std::shared_ptr<platform::ViewController> answer;
    mainLoop.sync([&] { answer = query(); });
    return answer;
}

void AdapterWrapper::adAdapterDidLoad(SolenBaseAdAdapter& /*adapter*/, std::shared_ptr<platform::View> adView) {
    const auto arrival = platform::Clock::shared()->wallNow();
    onMain([adView = std::move(adView), arrival](AdapterWrapper& wrapper) mutable {
        logCallback("adAdapterDidLoad");
        wrapper.didLoad(std::move(adView), arrival);
    });
}

void AdapterWrapper::adAdapterDidFailToLoad(SolenBaseAdAdapter& /*adapter*/, SolenAdapterError error) {
    onMain([error = std::move(error)](AdapterWrapper& wrapper) mutable {
        logCallback("adAdapterDidFailToLoad");
        wrapper.fail(std::move(error), true);
    });
}

void AdapterWrapper::adAdapterDidClick(SolenBaseAdAdapter& /*adapter*/) {
    forwardGated("adAdapterDidClick", &InternalAdapterDelegate::adAdapterDidInteract);
}

void AdapterWrapper::userWillLeaveApplicationFrom(SolenBaseAdAdapter& /*adapter*/) {
    forwardGated("userWillLeaveApplicationFrom", &InternalAdapterDelegate::userWillLeaveApplicationFrom);
}

void AdapterWrapper::adAdapterWillPresentScreen(SolenBaseAdAdapter& /*adapter*/) {
    forwardGated("adAdapterWillPresentScreen", &InternalAdapterDelegate::adAdapterWillPresentScreen);
}

void AdapterWrapper::adAdapterDidPresentScreen(SolenBaseAdAdapter& /*adapter*/) {
    forwardGated("adAdapterDidPresentScreen", &InternalAdapterDelegate::adAdapterDidPresentScreen);
}

void AdapterWrapper::adAdapterWillDismissScreen(SolenBaseAdAdapter& /*adapter*/) {
    forwardGated("adAdapterWillDismissScreen", &InternalAdapterDelegate::adAdapterWillDismissScreen);
}

void AdapterWrapper::adAdapterDidDismissScreen(SolenBaseAdAdapter& /*adapter*/) {
    forwardGated("adAdapterDidDismissScreen", &InternalAdapterDelegate::adAdapterDidDismissScreen);
}

void AdapterWrapper::adapterDidAdImpression(SolenBaseAdAdapter& /*adapter*/) {
    forwardGated("adapterDidAdImpression", &InternalAdapterDelegate::adapterDidAdImpression);
}

void AdapterWrapper::adAdapterDidVideoEventOccurred(VideoEvent event) {
    onMain([event](AdapterWrapper& wrapper) {
        logCallback("adAdapterDidVideoEventOccurred");
        const auto fire = [&wrapper](AdTrackers::UrlList AdTrackers::*list, Trackers::Kind kind) {
            if (const auto* urls = wrapper.trackerList(list)) {
                wrapper.tracker_.fireAdTracker(*urls, Trackers::video(kind));
            }
        };
        switch (event) {
            case VideoEvent::start: return fire(&AdTrackers::videoStart, Trackers::Kind::videoStart);
            case VideoEvent::firstQuartile: return fire(&AdTrackers::videoQ1, Trackers::Kind::videoQ1);
            case VideoEvent::midpoint: return fire(&AdTrackers::videoQ2, Trackers::Kind::videoQ2);
            case VideoEvent::thirdQuartile: return fire(&AdTrackers::videoQ3, Trackers::Kind::videoQ3);
            case VideoEvent::complete: return fire(&AdTrackers::videoComplete, Trackers::Kind::videoComplete);
            case VideoEvent::skip: return fire(&AdTrackers::videoSkip, Trackers::Kind::videoSkip);
            default: return;  // the other events are not tracked here
        }
    });
}

}  // namespace solen
