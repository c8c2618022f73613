#pragma once

#include "Ad/Adapter/InternalAdapter/AdapterWrapper.h"
#include "Public/SolenNativeAdViewDelegate.h"
#include <solen/SolenAdViewConfiguration.h>
#include <solen/SolenNativeAdView.h>
#include <solen/adapters/SolenBaseNativeAdapter.h>

#include <memory>
#include <optional>

namespace solen {

// The wrapper around one native line item's network adapter (see AdapterWrapper). Reports other
// than the load result are gated on `InternalNativeAdapterDelegate`, which also answers the
// network's view-controller query. It hands out the ad's view made from the application's
// template, keeps it weakly and becomes its delegate, so the view tells the wrapper's network
// adapter when it is attached and drawn; a view that outlives its wrapper tells nobody.
// Main thread only.
class NativeAdapter final : public AdapterWrapper, public NativeAdapterDelegate, public InternalNativeAdapter {
public:
    // Makes the wrapper and sets it as `adapter`'s delegate.
    static std::shared_ptr<NativeAdapter> create(std::shared_ptr<SolenBaseNativeAdapter> adapter,
                                                 std::weak_ptr<InternalAdapterDelegate> owner,
                                                 std::shared_ptr<TrackerManager> trackerManager = nullptr);

    const std::shared_ptr<SolenBaseNativeAdapter>& nativeAdapter() const { return nativeAdapter_; }

    // Asks the network adapter for a view from `solenAdConfig`. A view given becomes
    // `nativeAdView` and is linked to this wrapper; none (or an adapter that threw) gives none and
    // changes nothing. Each call asks again; an earlier view keeps its link.
    std::shared_ptr<SolenNativeAdView> getAdView(std::optional<SolenAdViewConfiguration> solenAdConfig);
    // The latest view handed out, while the application keeps it.
    std::shared_ptr<SolenNativeAdView> nativeAdView() const { return nativeAdView_.lock(); }

    // From any thread; answered on the main thread.
    std::shared_ptr<platform::ViewController> viewControllerForModalPresentation() override;

private:
    friend class AdapterWrapper;

    // What the views handed out hold (weakly, sharing the wrapper's lifetime).
    class ViewLink final : public SolenNativeAdViewDelegate {
    public:
        explicit ViewLink(const NativeAdapter& wrapper) : wrapper_(wrapper) {}
        std::shared_ptr<SolenBaseNativeAdapter> solenAdAdapter() const override { return wrapper_.nativeAdapter_; }

    private:
        const NativeAdapter& wrapper_;
    };

    NativeAdapter(std::shared_ptr<SolenBaseNativeAdapter> adapter, std::weak_ptr<InternalAdapterDelegate> owner,
                  std::shared_ptr<TrackerManager> trackerManager);

    std::weak_ptr<SolenNativeAdView> nativeAdView_;
    const std::shared_ptr<SolenBaseNativeAdapter> nativeAdapter_;
    ViewLink viewLink_{*this};
};

}  // namespace solen
