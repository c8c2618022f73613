#include "Ad/Managers/Manager/InterstitialAdManager.h"

#include "Ad/Adapter/InternalAdapter/InternalAdAdapter.h"
#include "Ad/Managers/AuctionManager/Bidders/Bidder.h"
#include "Commons/Configs/ConfigUtil.h"
#include "Commons/Utilities/Logger.h"
#include "Commons/Utilities/MainQueue.h"

#include <solen/adapters/SolenBaseInterstitialAdapter.h>
#include <solen/adapters/SolenBaseRewardedAdapter.h>

namespace solen {
namespace {

using Event = InterstitialTransitionEvent;

std::string refusal(InterstitialState state) {
    return "Ad fail's due to Invalid StateMachine state " + std::string(caseName(state));
}

// The winner's render timer and its network adapter, when the winner is a full-screen one whose
// network adapter is of its own kind.
struct FullScreenWinner {
    AdRenderTimer* renderTimer = nullptr;
    SolenBaseFullScreenAdapter<InterstitialAdapterDelegate>* interstitial = nullptr;
    SolenBaseFullScreenAdapter<RewardedAdapterDelegate>* rewarded = nullptr;

    explicit operator bool() const { return renderTimer && (interstitial || rewarded); }
    bool isReady() const { return interstitial ? interstitial->isReady() : rewarded->isReady(); }
    void show(const std::shared_ptr<platform::ViewController>& viewController) const {
        if (interstitial) {
            interstitial->show(viewController);
        } else {
            rewarded->show(viewController);
        }
    }
};

FullScreenWinner fullScreenWinner(const Bidder& bidder) {
    const std::shared_ptr<InternalAdAdapter>& winner = bidder.winnerBidder();
    FullScreenWinner found;
    if (!winner) return found;
    const auto network = winner->solenAdAdapter();
    if (auto* tagged = dynamic_cast<InternalInterstitialAdapter*>(winner.get())) {
        found.renderTimer = tagged;
        found.interstitial = dynamic_cast<SolenBaseInterstitialAdapter*>(network.get());
    } else if (auto* rewardedTag = dynamic_cast<InternalRewardedAdapter*>(winner.get())) {
        found.renderTimer = rewardedTag;
        found.rewarded = dynamic_cast<SolenBaseRewardedAdapter*>(network.get());
    }
    return found;
}

}  // namespace

std::shared_ptr<InterstitialAdManager> InterstitialAdManager::create(std::weak_ptr<InterstitialAdMangerDelegate> delegate,
                                                                     Dependencies dependencies) {
    return std::shared_ptr<InterstitialAdManager>(new InterstitialAdManager(std::move(delegate), std::move(dependencies)));
}

InterstitialAdManager::InterstitialAdManager(std::weak_ptr<InterstitialAdMangerDelegate> delegate,
                                             Dependencies dependencies)
    : AdManager(delegate, std::move(dependencies)), interstitialDelegate_(std::move(delegate)) {}

void InterstitialAdManager::loadAd(AdSetting setting) {
    const auto [accepted, state] = stateMachine_.process(Event::loadCalledEvent);
    if (!accepted) {
        const bool showing = state == InterstitialState::showCalledState || state == InterstitialState::adPresentedState;
        Logger::log((showing ? AdError::adActive() : AdError::invalidLoadRequest()).description(), 2);
        return;
    }
    runLoad(std::move(setting));
}

void InterstitialAdManager::show(std::shared_ptr<platform::ViewController> viewController) {
    const std::shared_ptr<AdManager> self = shared_from_this();
    const auto [accepted, state] = stateMachine_.process(Event::adShowEvent);
    if (!accepted) {
        sendFailToPresent(AdError::internalError());
        Logger::error(refusal(state));
        return;
    }
    const std::shared_ptr<Bidder> bidder = auctioneer() ? auctioneer()->bidder() : nullptr;
    if (!viewController) {
        Logger::error("show called without a view controller");
        failShow(AdError::internalError());
        return;
    }
    if (!bidder || !showWinningAdapter(viewController, *bidder)) {
        Logger::error("no winner that can show");
        failShow(AdError::internalError());
    }
}

bool InterstitialAdManager::isReady() const {
    // Only a finished load can be shown: a winner whose adapter has loaded before the auction's
    // result reached this manager is not ready yet.
    if (stateMachine_.currentState() != InterstitialState::loadedState) return false;
    const std::shared_ptr<Auctioneer>& auction = auctioneer();
    return auction && auction->bidder() && isWinningAdapterReady(*auction->bidder());
}

bool InterstitialAdManager::showWinningAdapter(const std::shared_ptr<platform::ViewController>& viewController,
                                               Bidder& bidder) {
    const FullScreenWinner winner = fullScreenWinner(bidder);
    if (!winner) return false;
    // The timer may fail the show at once (a show time-out that is not positive); the winner is
    // still asked to show, and a presentation after that is reported without an event.
    const std::shared_ptr<InternalAdAdapter> keep = bidder.winnerBidder();
    bidder.renderLatency().markStart();
    winner.renderTimer->startAdRenderTimer(ConfigUtil::clientConfig().interstitial.showTimeOut);
    winner.show(viewController);
    return true;
}

bool InterstitialAdManager::isWinningAdapterReady(const Bidder& bidder) {
    const FullScreenWinner winner = fullScreenWinner(bidder);
    return winner && winner.isReady();
}

bool InterstitialAdManager::accepts(InterstitialTransitionEvent event) {
    const auto [accepted, state] = stateMachine_.process(event);
    if (!accepted) Logger::error(refusal(state));
    return accepted;
}

void InterstitialAdManager::failShow(PresentationError error) {
    const auto [accepted, state] = stateMachine_.process(Event::adPresentFailedEvent);
    if (!accepted) {
        // A second failure of one show (the render time-out after the network's own failure).
        Logger::error("presentation failure dropped: " + refusal(state));
        return;
    }
    sendFailToPresent(std::move(error));
}

template <class Call>
void InterstitialAdManager::notifyLater(Call call) {
    performOnMainQueue([weakSelf = weak_from_this(), weakDelegate = interstitialDelegate_, call = std::move(call)] {
        const auto self = weakSelf.lock();
        const auto delegate = weakDelegate.lock();
        if (self && delegate) call(*self, *delegate);
    });
}

void InterstitialAdManager::sendFailToPresent(PresentationError error) {
    if (interstitialDelegate_.expired()) {
        Logger::error("");
        return;
    }
    notifyLater([error = std::move(error)](AdManager& self, InterstitialAdMangerDelegate& delegate) {
        delegate.adManagerDidFailToPresentWith(self, error);
    });
}

void InterstitialAdManager::sendFailureCallback(AdError error) {
    if (accepts(Event::loadFailureEvent)) AdManager::sendFailureCallback(std::move(error));
}

void InterstitialAdManager::auctioneerDidFinishLoading(Auctioneer& auctioneer, std::shared_ptr<platform::View> adView) {
    if (accepts(Event::loadSuccessEvent)) AdManager::auctioneerDidFinishLoading(auctioneer, std::move(adView));
}

void InterstitialAdManager::auctioneerWillPresentScreen(Auctioneer& auctioneer) {
    if (accepts(Event::adPresentedEvent)) AdManager::auctioneerWillPresentScreen(auctioneer);
}

void InterstitialAdManager::auctioneerWillDismissScreen(Auctioneer& auctioneer) {
    if (accepts(Event::adDismissedEvent)) AdManager::auctioneerWillDismissScreen(auctioneer);
}

void InterstitialAdManager::auctioneerDidFailToPresentWith(Auctioneer& auctioneer, PresentationError error) {
    AdManager::auctioneerDidFailToPresentWith(auctioneer, error);
    const std::shared_ptr<AdManager> self = shared_from_this();
    failShow(std::move(error));
}

void InterstitialAdManager::auctioneerRewardedActionCompletedWith(Auctioneer& auctioneer, nlohmann::ordered_json rewards) {
    AdManager::auctioneerRewardedActionCompletedWith(auctioneer, rewards);
    notifyLater([rewards = std::move(rewards)](AdManager& self, InterstitialAdMangerDelegate& delegate) {
        delegate.adManagerRewardedActionCompletedWith(self, rewards);
    });
}

}  // namespace solen
