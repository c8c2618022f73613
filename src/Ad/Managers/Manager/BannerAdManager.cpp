#include "Ad/Managers/Manager/BannerAdManager.h"

#include "Commons/Configs/ConfigManager.h"
#include "Commons/Utilities/DecimalText.h"
#include "Commons/Utilities/Logger.h"

namespace solen {
namespace {

std::string stateText(std::string_view what, BannerStateType state) {
    return std::string(what) + " callback fail's due to Invalid StateMachine state " + std::string(caseName(state));
}

}  // namespace

std::shared_ptr<BannerAdManager> BannerAdManager::create(std::weak_ptr<BannerAdManagerDelegate> delegate,
                                                         Dependencies dependencies) {
    return std::shared_ptr<BannerAdManager>(new BannerAdManager(std::move(delegate), std::move(dependencies)));
}

BannerAdManager::BannerAdManager(std::weak_ptr<BannerAdManagerDelegate> delegate, Dependencies dependencies)
    : AdManager(delegate, std::move(dependencies)), bannerDelegate_(std::move(delegate)) {}

BannerAdManager::~BannerAdManager() {
    if (refreshTimer_) {
        refreshTimer_->pause();
    }
}

void BannerAdManager::loadAd(AdSetting setting) {
    if (!bannerStateMachine_.process(BannerTransitionEvent::loadCalledEvent).accepted) {
        Logger::log(AdError::invalidLoadRequest().description(), 1);
        return;
    }
    runLoad(std::move(setting));
}

void BannerAdManager::sendFailureCallback(AdError error) {
    const std::shared_ptr<AdManager> self = shared_from_this();
    const auto [accepted, state] = bannerStateMachine_.process(BannerTransitionEvent::loadFailureEvent);
    if (accepted) {
        AdManager::sendFailureCallback(std::move(error));
    } else {
        Logger::error("sendFailureCallback refused in state " + std::string(caseName(state)) + ": " + error.description());
    }
    startRefresh();
}

void BannerAdManager::auctioneerDidFinishLoading(Auctioneer& auctioneer, std::shared_ptr<platform::View> adView) {
    const std::shared_ptr<AdManager> self = shared_from_this();
    const auto [accepted, state] = bannerStateMachine_.process(BannerTransitionEvent::loadSuccessEvent);
    if (accepted) {
        AdManager::auctioneerDidFinishLoading(auctioneer, std::move(adView));
    } else {
        Logger::debug(stateText("auctioneerDidFinishLoading", state));
    }
    startRefresh();
}

void BannerAdManager::auctioneerWillPresentScreen(Auctioneer& auctioneer) {
    const std::shared_ptr<AdManager> self = shared_from_this();
    const auto [accepted, state] = bannerStateMachine_.process(BannerTransitionEvent::adExpandEvent);
    if (accepted) {
        AdManager::auctioneerWillPresentScreen(auctioneer);
    } else {
        Logger::debug(stateText("auctioneerWillPresentScreen", state));
    }
    stopRefresh();
}

void BannerAdManager::auctioneerWillDismissScreen(Auctioneer& auctioneer) {
    const std::shared_ptr<AdManager> self = shared_from_this();
    const auto [accepted, state] = bannerStateMachine_.process(BannerTransitionEvent::adCollapseEvent);
    if (accepted) {
        AdManager::auctioneerWillDismissScreen(auctioneer);
    } else {
        Logger::debug(stateText("auctioneerWillDismissScreen", state));
    }
    startRefresh();
}

std::shared_ptr<platform::ViewController> BannerAdManager::viewControllerForModalPresentation() {
    const std::shared_ptr<AdManager> self = shared_from_this();
    const auto delegate = bannerDelegate_.lock();
    return delegate ? delegate->viewControllerForBannerFullScreen() : nullptr;
}

void BannerAdManager::setOnWindow(bool onWindow) {
    onWindow_ = onWindow;
    if (onWindow) {
        startRefresh();
    } else {
        stopRefresh();
    }
}

void BannerAdManager::startRefresh() {
    if (!onWindow_) {
        Logger::debug("Canno't refesh because Banner is not attched to the window");
        return;
    }
    if (!bannerStateMachine_.process(BannerTransitionEvent::adRefreshEvent).accepted) {
        Logger::debug("Canno't refesh because Banner StateMachine fails due to invalid state");
        return;
    }
    const std::optional<double> interval = refreshInterval();
    if (!interval) return;
    stopRefresh();
    if (*interval <= 0) return;
    refreshTimer_ = TimerManager::create(*interval, true, [weakSelf = weak_from_this()](TimerManager&) {
        if (const auto self = std::static_pointer_cast<BannerAdManager>(weakSelf.lock())) {
            self->refreshTimerHit();
        }
    });
    Logger::log("Banner Refresh starts with interval " + DecimalText::number(*interval), 2);
    refreshTimer_->start();
}

void BannerAdManager::stopRefresh() {
    if (!refreshTimer_) return;
    refreshTimer_->terminateTimer();
    Logger::debug("Banner Refresh stops");
}

std::optional<double> BannerAdManager::refreshInterval() const {
    const auto& setting = adSetting();
    std::int64_t refresh = 0;
    if (const auto mediation = ConfigManager::shared()->mediation(); mediation && setting && setting->adUnitId) {
        refresh = MediationConfig::lookupValue(*setting->adUnitId, mediation->adUnits);
    }
    if (refresh != 0) {
        return static_cast<double>(refresh / 1000);
    }
    const std::string unit = setting && setting->adUnitId ? "Optional(\"" + *setting->adUnitId + "\")" : "nil";
    Logger::log("Banner Refresh is not enabled for the adunit " + unit, 2);
    return std::nullopt;
}

void BannerAdManager::refreshTimerHit() {
    const std::shared_ptr<AdManager> self = shared_from_this();
    if (!adSetting()) {
        Logger::log("adSetting is missing", 2);
        return;
    }
    Logger::debug("Banner Refresh refreshTimerHit ");
    loadAd(*adSetting());
}

}  // namespace solen
