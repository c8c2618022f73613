#pragma once

#include "Ad/Managers/AuctionManager/AuctioneerDelegate.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace solen::test {

// Stands in for the ad manager above an auction: records every report as a short event text.
// Main thread only.
//   "didFinishLoading", "didFail:<code>", "interact", "leave", "willPresent", "didPresent",
//   "willDismiss", "didDismiss", "failToPresent", "reward:<json>", "impression:<json or none>"
class RecordingAuctioneerDelegate final : public AuctioneerDelegate {
public:
    std::vector<std::string> events() const { return events_; }
    const std::shared_ptr<platform::View>& adView() const { return adView_; }
    // Runs inside the terminal report (a win or a failure), as a manager that lets go of its
    // auction there would.
    std::function<void()> onEnd;

    void auctioneerDidFinishLoading(Auctioneer&, std::shared_ptr<platform::View> adView) override;
    void auctioneerDidFailToLoadWith(Auctioneer&, AdError error) override;
    void auctioneerDidInteract(Auctioneer&) override { note("interact"); }
    void userWillLeaveApplicationFrom(Auctioneer&) override { note("leave"); }
    void auctioneerWillPresentScreen(Auctioneer&) override { note("willPresent"); }
    void auctioneerDidPresentScreen(Auctioneer&) override { note("didPresent"); }
    void auctioneerWillDismissScreen(Auctioneer&) override { note("willDismiss"); }
    void auctioneerDidDismissScreen(Auctioneer&) override { note("didDismiss"); }
    void auctioneerDidFailToPresentWith(Auctioneer&, PresentationError) override { note("failToPresent"); }
    void auctioneerRewardedActionCompletedWith(Auctioneer&, nlohmann::ordered_json rewards) override {
        note("reward:" + rewards.dump());
    }
    void auctioneerDidAdImpression(Auctioneer&, std::optional<nlohmann::ordered_json> impressionData) override {
        note("impression:" + (impressionData ? impressionData->dump() : std::string("none")));
    }
    std::shared_ptr<platform::ViewController> viewControllerForModalPresentation() override { return nullptr; }

private:
    void note(std::string event) { events_.push_back(std::move(event)); }

    std::vector<std::string> events_;
    std::shared_ptr<platform::View> adView_;
};

}  // namespace solen::test
