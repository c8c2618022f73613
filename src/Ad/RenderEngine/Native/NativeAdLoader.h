#pragma once

#include "Ad/RenderEngine/Native/AssetOnClick.h"
#include "Ad/RenderEngine/Native/Assets/ImageViewAsset.h"
#include "Ad/RenderEngine/Native/Assets/LabelViewAsset.h"
#include "Ad/RenderEngine/Native/Assets/MediaViewAsset.h"
#include "Ad/RenderEngine/Native/Assets/NativeAdAssetLoadDelegate.h"
#include "Ad/RenderEngine/OpenModes/LandingPageProcessor.h"

#include <memory>
#include <optional>

namespace solen {

// Holds the asset views of one server-to-server native ad. It starts their loads, tells its native
// ad when every required asset is ready (at each success while the set stays ready) and passes on
// every failure of a required asset, answers whether the required views are on screen, and turns
// a tap on any asset into a landing page (the asset's click, the ad's own click as fallback; the
// processor of the latest tap is kept) followed by a click report, whether or not a page opened.
// Clicks, video events, the presenting view controller and the landing page's browser events go
// through the native ad to its adapter; any link gone drops them. The native ad fills the slots
// (title, description, sponsored and media always, the others when the creative has them) and
// owns the loader; each asset holds the loader weakly. Main thread only.
class NativeAdLoader final : public NativeAssetLoadDelegate,
                             public NativeAssetInteractionDelegate,
                             public VideoAssetEventDelegate,
                             public LandingPageDelegate,
                             public std::enable_shared_from_this<NativeAdLoader> {
public:
    static std::shared_ptr<NativeAdLoader> create() { return std::shared_ptr<NativeAdLoader>(new NativeAdLoader()); }
    NativeAdLoader(const NativeAdLoader&) = delete;
    NativeAdLoader& operator=(const NativeAdLoader&) = delete;

    std::shared_ptr<LabelViewAsset> title;
    std::shared_ptr<LabelViewAsset> description;
    std::shared_ptr<MediaViewAsset> media;
    std::shared_ptr<LabelViewAsset> sponsored;
    std::shared_ptr<ImageViewAsset> icon;
    std::shared_ptr<LabelViewAsset> rating;
    std::shared_ptr<LabelViewAsset> cta;
    std::shared_ptr<ImageViewAsset> adChoices;
    // The ad's own click, the fallback of every landing page.
    std::optional<AssetOnClick> onClick;

    std::shared_ptr<NativeAdAssetLoadDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<NativeAdAssetLoadDelegate> delegate) { delegate_ = std::move(delegate); }
    const std::shared_ptr<LandingPageProcessor>& landingProcessor() const { return landingProcessor_; }

    // Every present asset is ready (a media slot needs an inner asset that is). A slot that is
    // always filled but empty counts as not ready.
    bool allAssetsLoaded() const;
    // Every present asset that is required has a superview (a media slot needs an inner asset
    // that is in place).
    bool assetViewsInPlace() const;
    // Starts title, description, sponsored, the media's inner asset, rating, cta, then icon and
    // ad choices. Labels report while this runs.
    void loadAssets();

    void assetLoadedSuccessfully(const std::shared_ptr<NativeAsset>& asset) override;
    void assetLoadFailed(const std::shared_ptr<NativeAsset>& asset, const platform::Error& error) override;
    void assetTapped(const std::shared_ptr<NativeAsset>& asset, const std::optional<AssetOnClick>& onClick) override;
    void videoAssetEventOccurred(VideoEvent event) override;

    // The adapter's delegate's view controller for modal presentation.
    std::shared_ptr<platform::ViewController> viewControllerForModalPresentation();
    std::shared_ptr<platform::ViewController> viewControllerForPresentation() override;
    void browserWillPresent() override;
    void browserDidPresent() override;
    void browserWillDismiss() override;
    void browserDidDismiss() override;

private:
    NativeAdLoader() = default;
    // The native ad's adapter, or none when the ad or the adapter is gone.
    std::shared_ptr<S2sNativeAdDelegate> adapter() const;
    // Whether every slot passes `test`, in the order title, description, media, sponsored, icon,
    // rating, cta, ad choices; an empty optional slot passes.
    template <class Test>
    bool allSlots(Test test) const;

    std::shared_ptr<LandingPageProcessor> landingProcessor_;
    std::weak_ptr<NativeAdAssetLoadDelegate> delegate_;
};

}  // namespace solen
