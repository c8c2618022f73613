#pragma once

#include "Ad/Managers/Manager/AdManager.h"
#include "Ad/StateManager/BannerStateMachine.h"
#include "Commons/Utilities/TimerManager.h"

#include <memory>
#include <optional>

namespace solen {

// The ad manager of one banner placement: every load and auction callback goes through its
// `BannerStateMachine`, and after each load result, while the banner is in a window and not
// expanded, a one-shot refresh timer of the ad unit's configured interval (whole seconds) loads a
// new ad with the same setting. The timer stops counting in the background and resumes with the
// time left; expanding, leaving the window or releasing the manager stops it.
//
// Main thread only, like its base.
class BannerAdManager final : public AdManager {
public:
    static std::shared_ptr<BannerAdManager> create(std::weak_ptr<BannerAdManagerDelegate> delegate,
                                                   Dependencies dependencies = {});
    ~BannerAdManager() override;

    const BannerStateMachine& bannerStateMachine() const { return bannerStateMachine_; }
    const std::shared_ptr<TimerManager>& refreshTimer() const { return refreshTimer_; }
    bool onWindow() const { return onWindow_; }

    // Refused while a load runs or the ad is expanded (logged at level 1, nothing reported).
    void loadAd(AdSetting setting) override;
    void sendFailureCallback(AdError error) override;
    void auctioneerDidFinishLoading(Auctioneer& auctioneer, std::shared_ptr<platform::View> adView) override;
    void auctioneerWillPresentScreen(Auctioneer& auctioneer) override;
    void auctioneerWillDismissScreen(Auctioneer& auctioneer) override;
    std::shared_ptr<platform::ViewController> viewControllerForModalPresentation() override;

    // Whether the banner view is in a window: entering one starts the refresh, leaving stops it.
    void setOnWindow(bool onWindow);
    void startRefresh();
    void stopRefresh();
    // The ad unit's refresh interval in whole seconds; nothing when refresh is not configured.
    std::optional<double> refreshInterval() const;
    void refreshTimerHit();

private:
    BannerAdManager(std::weak_ptr<BannerAdManagerDelegate> delegate, Dependencies dependencies);

    std::weak_ptr<BannerAdManagerDelegate> bannerDelegate_;
    BannerStateMachine bannerStateMachine_;
    std::shared_ptr<TimerManager> refreshTimer_;
    bool onWindow_ = false;
};

}  // namespace solen
