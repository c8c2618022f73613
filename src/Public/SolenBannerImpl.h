#pragma once

#include "Ad/Managers/Manager/BannerAdManager.h"
#include "Commons/Utilities/Logger.h"
#include "Commons/Utilities/MainQueue.h"
#include "Public/HiddenImpl.h"

#include <solen/SolenBanner.h>
#include <solen/ui/ViewAnimation.h>

#include <memory>
#include <string>

namespace solen {

// The banner's side of its ad manager: each report becomes one main-queue block that finds the
// banner (held weakly) and its delegate, or does nothing.
struct SOLEN_HIDDEN_IMPL SolenBanner::Impl final : BannerAdManagerDelegate {
    std::weak_ptr<SolenBanner> banner;
    std::weak_ptr<SolenBannerDelegate> delegate;
    int animationTransition = 3;
    AdSetting adSetting;
    std::shared_ptr<BannerAdManager> adManger;

    static Impl& of(SolenBanner& banner) { return *banner.impl_; }

    // `call` receives the banner and its delegate (null when there is none).
    template <class Call>
    void deliver(const char* name, Call call) {
        performOnMainQueue([weakBanner = banner, name, call = std::move(call)] {
            const auto banner = weakBanner.lock();
            if (!banner) return;
            Logger::debug(name);
            call(*banner, banner->impl_->delegate.lock());
        });
    }

    // The new ad view comes in with a one-second linear transition on the banner and becomes its
    // only subview; it keeps the frame its adapter gave it. The old views leave after the commit,
    // outside the animation.
    void swapInAdView(SolenBanner& view, const std::shared_ptr<platform::View>& adView) const {
        using platform::ViewAnimation;
        ViewAnimation::beginAnimations(std::nullopt, nullptr);
        ViewAnimation::setAnimationDuration(1.0);
        ViewAnimation::setAnimationCurve(ViewAnimation::linearCurve);
        ViewAnimation::setAnimationTransition(animationTransition, view, false);
        view.addSubview(adView);
        view.bringSubviewToFront(adView);
        ViewAnimation::commitAnimations();
        for (const auto& subview : view.subviews()) {
            if (subview != adView) subview->removeFromSuperview();
        }
    }

    void adManagerDidFinishLoading(AdManager&, std::shared_ptr<platform::View> adView) override {
        deliver("adManagerDidFinishLoading", [adView](SolenBanner& banner, const auto& delegate) {
            if (adView) banner.impl_->swapInAdView(banner, adView);
            if (delegate) delegate->solenBannerDidLoad(banner);
        });
    }
    void adManagerDidFailToLoadWith(AdManager&, const AdError& error) override {
        deliver("adManagerDidFailToLoadWith", [error = error.toError()](SolenBanner& banner, const auto& delegate) {
            if (delegate) delegate->solenBannerDidFailToLoad(banner, error);
        });
    }
    void adManagerDidInteract(AdManager&) override {
        deliver("adManagerDidInteract", [](SolenBanner& banner, const auto& delegate) {
            if (delegate) delegate->solenBannerDidClick(banner, std::nullopt);
        });
    }
    void userWillLeaveApplicationFrom(AdManager&) override {
        deliver("userWillLeaveApplicationFrom", [](SolenBanner& banner, const auto& delegate) {
            if (delegate) delegate->solenBannerUserWillLeaveApplication(banner);
        });
    }
    void adManagerWillPresentScreen(AdManager&) override {
        deliver("adManagerWillPresentScreen", [](SolenBanner& banner, const auto& delegate) {
            if (delegate) delegate->solenBannerWillPresentScreen(banner);
        });
    }
    void adManagerDidPresentScreen(AdManager&) override {
        deliver("adManagerDidPresentScreen", [](SolenBanner& banner, const auto& delegate) {
            if (delegate) delegate->solenBannerDidPresentScreen(banner);
        });
    }
    void adManagerWillDismissScreen(AdManager&) override {
        deliver("adManagerWillDismissScreen", [](SolenBanner& banner, const auto& delegate) {
            if (delegate) delegate->solenBannerWillCollapseScreen(banner);
        });
    }
    void adManagerDidDismissScreen(AdManager&) override {
        deliver("adManagerDidDismissScreen", [](SolenBanner& banner, const auto& delegate) {
            if (delegate) delegate->solenBannerDidCollapseScreen(banner);
        });
    }
    void adManagerDidAdImpression(AdManager&, std::optional<nlohmann::ordered_json> impressionData) override {
        deliver("adManagerDidAdImpression", [impressionData](SolenBanner& banner, const auto& delegate) {
            if (delegate) delegate->solenBannerImpression(banner, impressionData);
        });
    }
    std::shared_ptr<platform::ViewController> viewControllerForBannerFullScreen() override {
        const auto current = delegate.lock();
        return current ? current->viewControllerForSolenBannerFullScreen() : nullptr;
    }
};

}  // namespace solen
