#include "Ad/Managers/Manager/NativeAdManager.h"

#include "Ad/Adapter/AdapterCall.h"
#include "Ad/Adapter/InternalAdapter/NativeAdapter.h"
#include "Ad/Managers/AuctionManager/Bidders/Bidder.h"
#include "Commons/Utilities/Logger.h"

#include <solen/adapters/SolenBaseBannerAdapter.h>
#include <solen/adapters/SolenBaseSplashAdapter.h>

#include <string>

namespace solen {
namespace {

std::string refusal(NativeState state) {
    return "Ad fail's due to Invalid StateMachine state " + std::string(caseName(state));
}

}  // namespace

std::shared_ptr<NativeAdManager> NativeAdManager::create(std::weak_ptr<AdManagerDelegate> delegate,
                                                         Dependencies dependencies) {
    return std::shared_ptr<NativeAdManager>(new NativeAdManager(std::move(delegate), std::move(dependencies)));
}

NativeAdManager::NativeAdManager(std::weak_ptr<AdManagerDelegate> delegate, Dependencies dependencies)
    : AdManager(delegate, std::move(dependencies)), nativeDelegate_(std::move(delegate)) {}

void NativeAdManager::loadAd(AdSetting setting) {
    if (const auto [accepted, state] = stateMachine_.process(NativeTransitionEvent::loadCalledEvent); !accepted) {
        Logger::debug(refusal(state));
        // While loading this ends the running load; while expanded it is refused and only logged.
        sendFailureCallback(AdError::invalidLoadRequest());
        return;
    }
    runLoad(std::move(setting));
}

void NativeAdManager::sendFailureCallback(AdError error) {
    const std::shared_ptr<AdManager> self = shared_from_this();
    if (const auto [accepted, state] = stateMachine_.process(NativeTransitionEvent::loadFailureEvent); !accepted) {
        Logger::error(refusal(state));
        return;
    }
    AdManager::sendFailureCallback(std::move(error));
}

void NativeAdManager::auctioneerDidFinishLoading(Auctioneer& auctioneer, std::shared_ptr<platform::View> adView) {
    const std::shared_ptr<AdManager> self = shared_from_this();
    if (const auto [accepted, state] = stateMachine_.process(NativeTransitionEvent::loadSuccessEvent); !accepted) {
        Logger::debug(refusal(state));
        return;
    }
    AdManager::auctioneerDidFinishLoading(auctioneer, std::move(adView));
}

void NativeAdManager::auctioneerWillPresentScreen(Auctioneer& auctioneer) {
    const std::shared_ptr<AdManager> self = shared_from_this();
    if (const auto [accepted, state] = stateMachine_.process(NativeTransitionEvent::adExpandEvent); !accepted) {
        Logger::debug(refusal(state));
        return;
    }
    AdManager::auctioneerWillPresentScreen(auctioneer);
}

void NativeAdManager::auctioneerWillDismissScreen(Auctioneer& auctioneer) {
    const std::shared_ptr<AdManager> self = shared_from_this();
    if (const auto [accepted, state] = stateMachine_.process(NativeTransitionEvent::adCollapseEvent); !accepted) {
        Logger::debug(refusal(state));
        return;
    }
    AdManager::auctioneerWillDismissScreen(auctioneer);
}

std::shared_ptr<platform::ViewController> NativeAdManager::viewControllerForModalPresentation() {
    const std::shared_ptr<AdManager> self = shared_from_this();
    const auto native = std::dynamic_pointer_cast<NativeAdManagerDelegate>(nativeDelegate_.lock());
    return native ? native->viewControllerForNativeFullScreen() : nullptr;
}

std::shared_ptr<platform::View> NativeAdManager::getNativeAdView(std::optional<SolenAdViewConfiguration> solenAdConfig) {
    if (const auto [accepted, state] = stateMachine_.process(NativeTransitionEvent::adShowEvent); !accepted) {
        Logger::debug(refusal(state));
        return nullptr;
    }
    // The auction may release itself from inside the adapter's call: keep it for the call.
    const std::shared_ptr<Auctioneer> auction = auctioneer();
    if (!auction || !auction->bidder()) return nullptr;
    return adViewOfWinningAdapter(solenAdConfig, *auction->bidder());
}

std::shared_ptr<platform::View> adViewOfWinningAdapter(const std::optional<SolenAdViewConfiguration>& configuration,
                                                       const Bidder& bidder) {
    const std::shared_ptr<InternalAdAdapter> winner = bidder.winnerBidder();
    if (!winner) return nullptr;
    if (dynamic_cast<InternalBannerAdapter*>(winner.get())) {
        const auto adapter = std::dynamic_pointer_cast<SolenBaseBannerAdapter>(winner->solenAdAdapter());
        return adapter ? callAdapter(*adapter, "getAdView", std::shared_ptr<platform::View>(),
                                     [&] { return adapter->getAdView(); })
                       : nullptr;
    }
    if (!configuration) return nullptr;
    if (const auto native = std::dynamic_pointer_cast<NativeAdapter>(winner)) {
        return native->getAdView(configuration);
    }
    if (dynamic_cast<InternalSplashAdapter*>(winner.get())) {
        const auto adapter = std::dynamic_pointer_cast<SolenBaseSplashAdapter>(winner->solenAdAdapter());
        return adapter ? callAdapter(*adapter, "getAdView", std::shared_ptr<platform::View>(),
                                     [&] { return adapter->getAdView(configuration); })
                       : nullptr;
    }
    return nullptr;
}

}  // namespace solen
