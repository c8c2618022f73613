#pragma once

#include "Ad/RenderEngine/Native/Assets/NativeAssetInteractionDelegate.h"
#include "Ad/RenderEngine/Native/Assets/NativeAssetLoadDelegate.h"
#include "Ad/RenderEngine/Native/Assets/NativeAssetState.h"

#include <concepts>
#include <cstddef>
#include <memory>
#include <string>

namespace solen {

// One visible piece of a native ad (a text, an image, the media slot). The native ad's loader
// starts every asset the same way with loadAsset(), learns its outcome through the load delegate,
// asks whether the ad is complete (isAssetReady) and whether its required views are on screen
// (isAssetInPlace), and receives taps through the interaction delegate. Every asset stores its
// state and holds both delegates weakly. Main thread only.
class NativeAsset {
public:
    // The one object an asset takes at creation as both its interaction and its load delegate,
    // held weakly; none (nullptr) leaves both empty.
    struct Delegate {
        Delegate() = default;
        Delegate(std::nullptr_t) {}
        template <class Object>
            requires std::derived_from<Object, NativeAssetInteractionDelegate> &&
                     std::derived_from<Object, NativeAssetLoadDelegate>
        Delegate(const std::shared_ptr<Object>& object) : interaction(object), load(object) {}

        std::weak_ptr<NativeAssetInteractionDelegate> interaction;
        std::weak_ptr<NativeAssetLoadDelegate> load;
    };

    virtual ~NativeAsset() = default;
    NativeAsset(const NativeAsset&) = delete;
    NativeAsset& operator=(const NativeAsset&) = delete;

    // The slot name the asset was made with ("title", "icon", ...); used in log lines and carried
    // by the errors the asset reports.
    virtual std::string assetName() const = 0;
    // True when the content is in place, or when the asset is not required.
    virtual bool isAssetReady() const = 0;
    // True when the asset is not required, or when it currently has a superview.
    virtual bool isAssetInPlace() const = 0;
    // Starts loading; the outcome reaches the load delegate on the main thread, after the state
    // has become loaded or failed.
    virtual void loadAsset() = 0;

    virtual NativeAssetState assetState() const { return assetState_; }
    virtual void setAssetState(NativeAssetState state) { assetState_ = state; }

    std::shared_ptr<NativeAssetInteractionDelegate> assetViewdelegate() const { return assetViewdelegate_.lock(); }
    void setAssetViewdelegate(std::weak_ptr<NativeAssetInteractionDelegate> delegate) {
        assetViewdelegate_ = std::move(delegate);
    }
    std::shared_ptr<NativeAssetLoadDelegate> assetLoadDelegate() const { return assetLoadDelegate_.lock(); }
    void setAssetLoadDelegate(std::weak_ptr<NativeAssetLoadDelegate> delegate) {
        assetLoadDelegate_ = std::move(delegate);
    }

protected:
    NativeAsset() = default;
    void setDelegate(const Delegate& delegate) {
        assetViewdelegate_ = delegate.interaction;
        assetLoadDelegate_ = delegate.load;
    }

private:
    NativeAssetState assetState_ = NativeAssetState::default_;
    std::weak_ptr<NativeAssetInteractionDelegate> assetViewdelegate_;
    std::weak_ptr<NativeAssetLoadDelegate> assetLoadDelegate_;
};

}  // namespace solen
