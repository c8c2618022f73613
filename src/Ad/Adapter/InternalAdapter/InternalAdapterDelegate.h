#pragma once

#include "Ad/Adapter/InternalAdapter/PresentationError.h"
#include <solen/adapters/SolenAdapterError.h>
#include <solen/ui/View.h>
#include <solen/ui/ViewController.h>

#include <nlohmann/json.hpp>

#include <memory>

namespace solen {

class InternalAdAdapter;

// How a format wrapper reports to the bidder that owns it. The wrapper holds its bidder weakly and
// calls it only on the main thread, with itself as `adapter` (held strongly for the call). A
// bidder may compare `adapter` with the wrappers it owns; the wrapper may be released by the
// bidder during the call.
class InternalAdapterDelegate {
public:
    virtual ~InternalAdapterDelegate() = default;

    // The network loaded the line item; `adView` as the network handed it over (may be null).
    virtual void adAdapterDidLoad(const std::shared_ptr<InternalAdAdapter>& adapter,
                                  std::shared_ptr<platform::View> adView) = 0;
    // The load failed: the network's error, a time-out, a readiness failure, or the wrapper was
    // abandoned while loading.
    virtual void adAdapterDidFail(const std::shared_ptr<InternalAdAdapter>& adapter, SolenAdapterError error) = 0;
    // The ad was clicked.
    virtual void adAdapterDidInteract(const std::shared_ptr<InternalAdAdapter>& adapter) = 0;
    // A click is about to leave the application.
    virtual void userWillLeaveApplicationFrom(const std::shared_ptr<InternalAdAdapter>& adapter) = 0;
    virtual void adAdapterWillPresentScreen(const std::shared_ptr<InternalAdAdapter>& adapter) = 0;
    virtual void adAdapterDidPresentScreen(const std::shared_ptr<InternalAdAdapter>& adapter) = 0;
    virtual void adAdapterWillDismissScreen(const std::shared_ptr<InternalAdAdapter>& adapter) = 0;
    virtual void adAdapterDidDismissScreen(const std::shared_ptr<InternalAdAdapter>& adapter) = 0;
    // A full-screen ad did not appear: the network's error, or `renderTimeout`.
    virtual void adAdapterDidFailToPresentWith(const std::shared_ptr<InternalAdAdapter>& adapter,
                                               PresentationError error) = 0;
    virtual void adapterDidAdImpression(const std::shared_ptr<InternalAdAdapter>& adapter) = 0;

    // Whether a load that the bidder handed to the global queue (`loadFromGlobalQueue`) is still its
    // own when the load reaches the main thread: one that the bidder has let go starts nothing
    // more, and the wrapper closes it without a report. Any load by default.
    virtual bool ownsLoad(const InternalAdAdapter& /*adapter*/) const { return true; }

    // The bidder's claim on the loads it hands to the global queue, as the load step reads it off
    // the main thread, before it sends a tracker or asks the network (one atomic read): it expires
    // when the bidder is released or abandons its loads, and a step that finds it expired does
    // neither. Taken on the main thread, when the load is handed over.
    using LoadClaim = std::weak_ptr<const void>;
    LoadClaim loadClaim() const { return loadClaim_; }

protected:
    // Gives up, for good, every load handed to the global queue whose step has not yet read the
    // claim; main thread. (A step that read it before has asked its network: `ownsLoad` closes
    // that load on main.)
    void abandonLoads() { loadClaim_.reset(); }

private:
    std::shared_ptr<const void> loadClaim_ = std::make_shared<const bool>(true);
};

// The per-format refinements. A wrapper passes on a format's callbacks other than the load result
// only when its bidder also implements that format's refinement (tested at each report).

// Banner wrappers answer the network's view-controller query from here.
class InternalBannerAdapterDelegate : public virtual InternalAdapterDelegate {
public:
    // The view controller for modal presentation (landing pages); may be null.
    virtual std::shared_ptr<platform::ViewController> viewControllerForModalPresentation() = 0;
};

// Native wrappers answer the network's view-controller query from here.
class InternalNativeAdapterDelegate : public virtual InternalAdapterDelegate {
public:
    // The view controller for modal presentation (landing pages); may be null.
    virtual std::shared_ptr<platform::ViewController> viewControllerForModalPresentation() = 0;
};

class InternalInterstitialAdapterDelegate : public virtual InternalAdapterDelegate {};

class InternalSplashAdapterDelegate : public virtual InternalAdapterDelegate {};

class InternalRewardedAdapterDelegate : public virtual InternalAdapterDelegate {
public:
    // The user earned the reward: the JSON object the network reported, as received.
    virtual void adAdapterRewardedActionCompletedWith(const std::shared_ptr<InternalAdAdapter>& adapter,
                                                      nlohmann::ordered_json reward) = 0;
};

}  // namespace solen
