#pragma once

#include "Ad/RenderEngine/Native/Assets/NativeAdAssetLoadDelegate.h"
#include "Ad/RenderEngine/Native/Assets/S2sNativeAdDelegate.h"
#include "Ad/RenderEngine/Native/Assets/VideoView/VideoViewAsset.h"
#include "Ad/RenderEngine/Native/NativeAdLoader.h"
#include "Ad/RenderEngine/Native/NativePubContent.h"
#include "Ad/StateManager/S2sNativeStateMachine.h"
#include "Commons/Utilities/AdImpressionTimer.h"

#include <solen/ui/View.h>

#include <memory>
#include <utility>

namespace solen {

// One native ad rendered by the SDK from a server-to-server creative. Its adapter makes one per
// load. It builds the creative's asset views into a `NativeAdLoader` and starts them, reports the
// one outcome of the load to its adapter (the whole set ready, or the first required asset that
// failed), and counts the impression of the application's ad view once that view shows its
// required assets: half of its area visible, while the application is active, for one second
// without a break. Its state machine lets it load once and report once; whatever the machine
// refuses is logged at error level and goes no further (a refused load is reported as a failed
// load). Reports go to the adapter, held weakly; a gone adapter drops them. Main thread only.
class S2sNative final : public NativeAdAssetLoadDelegate, public std::enable_shared_from_this<S2sNative> {
public:
    static constexpr double impressionTime = 1.0;
    // The share of the ad view's area that must be visible.
    static constexpr double impressionVisibleShare = 0.5;
    // The asset name of the ad-choices image.
    static constexpr const char* adChoicesAssetName = "adChoices";

    // `videoServices` go to a video media (empty members: production defaults).
    static std::shared_ptr<S2sNative> create(std::weak_ptr<S2sNativeAdDelegate> delegate,
                                             VideoViewAsset::Services videoServices = {});
    S2sNative(const S2sNative&) = delete;
    S2sNative& operator=(const S2sNative&) = delete;

    // Builds the asset views of `model` into a new loader and starts them; label outcomes (and
    // unusable image addresses) are reported before this returns. A second load is refused.
    void load(const NativePubContent& model);
    // When the ad view is attached: starts the impression timer on it unless the impression was
    // counted, a required asset is not in a superview (level-1 line; the next attach tries again)
    // or the ad view is gone. A new attach restarts the count.
    void startImpressionTracking();

    // The view of the media slot's image or video; none without a loader or inner asset.
    std::shared_ptr<platform::View> mediaContentView() const;
    std::shared_ptr<platform::View> publisherAdView() const { return publisherAdView_.lock(); }
    // Held weakly.
    void setPublisherAdView(const std::shared_ptr<platform::View>& view) { publisherAdView_ = view; }
    const std::shared_ptr<NativeAdLoader>& nativeLoader() const { return nativeLoader_; }
    const std::shared_ptr<AdImpressionTimer>& impressionTimer() const { return impressionTimer_; }
    const S2sNativeStateMachine& stateMachine() const { return stateMachine_; }

    void nativeAdAssetLoadedSuccessfully(NativeAdLoader& sender) override;
    void nativeAdAssetLoadFailed(NativeAdLoader& sender, const platform::Error& error) override;
    std::shared_ptr<S2sNativeAdDelegate> s2sNativeAdDelegate() const override { return delegate_.lock(); }

private:
    S2sNative(std::weak_ptr<S2sNativeAdDelegate> delegate, VideoViewAsset::Services videoServices)
        : delegate_(std::move(delegate)), videoServices_(std::move(videoServices)) {}

    // Feeds an outcome's event to the machine; a refusal is logged and gives false.
    bool acceptOutcome(S2sNativeTransitionEvent event);
    void buildAssetViews(const std::shared_ptr<NativeAdLoader>& loader, const NativePubContent& model);

    std::weak_ptr<S2sNativeAdDelegate> delegate_;
    std::weak_ptr<platform::View> publisherAdView_;
    std::shared_ptr<AdImpressionTimer> impressionTimer_;
    std::shared_ptr<NativeAdLoader> nativeLoader_;
    S2sNativeStateMachine stateMachine_;
    VideoViewAsset::Services videoServices_;
};

}  // namespace solen
