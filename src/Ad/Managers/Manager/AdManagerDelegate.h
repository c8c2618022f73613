#pragma once

#include "Ad/Network/AdError.h"

#include <solen/ui/View.h>
#include <solen/ui/ViewController.h>

#include <nlohmann/json.hpp>

#include <memory>
#include <optional>

namespace solen {

class AdManager;

// How an ad manager reports to the public ad object that owns it: the one result of each accepted
// load (a loaded ad, with its view where the format has one, or a failure), then the winner's
// presentation, interaction and impression reports. Called synchronously on the main thread; the
// manager is kept alive for the length of each call, so the object may release it from inside one.
class AdManagerDelegate {
public:
    virtual ~AdManagerDelegate() = default;

    virtual void adManagerDidFinishLoading(AdManager& adManager, std::shared_ptr<platform::View> adView) = 0;
    virtual void adManagerDidFailToLoadWith(AdManager& adManager, const AdError& error) = 0;
    virtual void adManagerDidInteract(AdManager& adManager) = 0;
    virtual void userWillLeaveApplicationFrom(AdManager& adManager) = 0;
    virtual void adManagerWillPresentScreen(AdManager& adManager) = 0;
    virtual void adManagerDidPresentScreen(AdManager& adManager) = 0;
    virtual void adManagerWillDismissScreen(AdManager& adManager) = 0;
    virtual void adManagerDidDismissScreen(AdManager& adManager) = 0;
    virtual void adManagerDidAdImpression(AdManager& adManager, std::optional<nlohmann::ordered_json> impressionData) = 0;
};

// The banner's refinement: where full-screen content of the banner's ad (an expansion, a landing
// page) is presented from.
class BannerAdManagerDelegate : public AdManagerDelegate {
public:
    // Null when the application has not said.
    virtual std::shared_ptr<platform::ViewController> viewControllerForBannerFullScreen() = 0;
};

}  // namespace solen
