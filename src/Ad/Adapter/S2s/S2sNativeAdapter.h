#pragma once

#include "Ad/RenderEngine/Native/Assets/S2sNativeAdDelegate.h"
#include "Ad/RenderEngine/Native/S2sNative.h"
#include <solen/SolenNativeAdViewProtocol.h>
#include <solen/adapters/SolenBaseNativeAdapter.h>

#include <memory>
#include <optional>
#include <string>

namespace solen {

// The SDK's own native adapter for line items won server to server, registered as
// "S2sNativeAdapter". `load` checks the creative on the calling thread (a missing creative, one
// of another kind, or a markup string fails there with invalidAdMarkup), then, on the main queue,
// loads its native object through a fresh `S2sNative`, whose outcome reaches the delegate as the
// load (without a view) or as s2sRenderError with the failure's description. `getAdView` makes the
// application's template view, binds the asset views into the outlets it offers and hands the view
// to the native ad for the impression, which the first attach with every required asset in place
// starts. Clicks, video events, the impression and the landing page's browser go to the delegate
// with this adapter; a gone delegate drops them. Everything but `load` and `getCreativeId` runs
// on the main thread.
class S2sNativeAdapter final : public SolenBaseNativeAdapter,
                               public S2sNativeAdDelegate,
                               public std::enable_shared_from_this<S2sNativeAdapter> {
public:
    // The name it registers under, defined beside the registration.
    static const char* const registeredName;

    // Video media of later loads use these (empty members: production defaults).
    void setVideoServices(VideoViewAsset::Services services) { videoServices_ = std::move(services); }

    void load(const AdapterAdConfiguration& configuration) override;
    std::optional<std::string> getCreativeId() override { return std::nullopt; }
    std::shared_ptr<SolenNativeAdView> getAdView(std::optional<SolenAdViewConfiguration> configuration) override;
    void adViewAttached(bool attached) override;

    // The native ad of the latest load.
    const std::shared_ptr<S2sNative>& native() const { return native_; }

    void nativeAdLoaded() override;
    void nativeAdLoadFailed(const platform::Error& error) override;
    void nativeAdImpressionRecorded() override;
    void nativeAdClicked() override;
    void nativeAdVideoEventOccurred(VideoEvent event) override;
    std::shared_ptr<platform::ViewController> viewControllerForModalPresentation() override;
    void nativeAdWillPresentScreen() override;
    void nativeAdDidPresentScreen() override;
    void nativeAdWillDismissScreen() override;
    void nativeAdDidDismissScreen() override;

private:
    void loadNative(const NativePubContent& model);
    // Puts the loader's assets into the outlets `outlets` offers, in the fixed outlet order.
    void bindOutlets(const SolenNativeAdViewProtocol& outlets) const;

    std::shared_ptr<S2sNative> native_;
    VideoViewAsset::Services videoServices_;
};

}  // namespace solen
