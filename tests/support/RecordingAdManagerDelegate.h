#pragma once

#include "Ad/Managers/Manager/AdManagerDelegate.h"

#include <memory>
#include <string>
#include <vector>

namespace solen::test {

// Stands in for the public banner above a banner ad manager: records every report as a short
// event text. Main thread only.
//   "didFinishLoading", "didFail:<code>", "interact", "leave", "willPresent", "didPresent",
//   "willDismiss", "didDismiss", "impression"
class RecordingAdManagerDelegate final : public BannerAdManagerDelegate {
public:
    const std::vector<std::string>& events() const { return events_; }
    // The terminal reports alone ("didFinishLoading" and "didFail:<code>").
    std::vector<std::string> results() const;
    const std::shared_ptr<platform::View>& adView() const { return adView_; }
    void clear() { events_.clear(); }

    void adManagerDidFinishLoading(AdManager&, std::shared_ptr<platform::View> adView) override;
    void adManagerDidFailToLoadWith(AdManager&, const AdError& error) override;
    void adManagerDidInteract(AdManager&) override { events_.push_back("interact"); }
    void userWillLeaveApplicationFrom(AdManager&) override { events_.push_back("leave"); }
    void adManagerWillPresentScreen(AdManager&) override { events_.push_back("willPresent"); }
    void adManagerDidPresentScreen(AdManager&) override { events_.push_back("didPresent"); }
    void adManagerWillDismissScreen(AdManager&) override { events_.push_back("willDismiss"); }
    void adManagerDidDismissScreen(AdManager&) override { events_.push_back("didDismiss"); }
    void adManagerDidAdImpression(AdManager&, std::optional<nlohmann::ordered_json>) override {
        events_.push_back("impression");
    }
    std::shared_ptr<platform::ViewController> viewControllerForBannerFullScreen() override { return viewController; }

    std::shared_ptr<platform::ViewController> viewController;

private:
    std::vector<std::string> events_;
    std::shared_ptr<platform::View> adView_;
};

}  // namespace solen::test
