#pragma once

#include "Ad/RenderEngine/Native/AssetOnClick.h"
#include "Ad/RenderEngine/Native/Assets/AssetError.h"
#include "Ad/RenderEngine/Native/Assets/NativeAsset.h"

#include <solen/ui/GestureRecognizer.h>
#include <solen/ui/Rect.h>
#include <solen/ui/TapGestureRecognizer.h>

#include <memory>
#include <optional>
#include <string>

namespace solen {

// What the asset views share, on top of a platform view `ViewBase` (a label, an image view): the
// name, the readiness rules of a model that may be required, a tap recogniser that is made
// disabled on first use and enabled by a successful load, and the reports of a load's outcome.
// Asset views are made by their `create` factories only (they must be owned by a shared_ptr).
// Main thread only.
template <class ViewBase>
class NativeAssetView : public ViewBase, public NativeAsset {
public:
    std::string assetName() const override { return assetName_; }
    bool isAssetReady() const override;
    bool isAssetInPlace() const override;

    // The tap recogniser, made on first access: attached to this view, disabled, with
    // wasTapped() as its action. Later accesses return the same recogniser.
    platform::TapGestureRecognizer& clickGestureRecognizer();
    // The recogniser's action: hands this asset and its click action to the interaction
    // delegate; nothing without one.
    void wasTapped(platform::GestureRecognizer& sender);

protected:
    NativeAssetView(platform::Rect frame, std::string assetName);

    // Whether the asset has a model that is required (a missing model is not required).
    virtual bool isRequired() const = 0;
    // The model's click action, if any.
    virtual std::optional<AssetOnClick> clickAction() const = 0;

    // The content is in place: state loaded, taps enabled, the load delegate told.
    void reportLoaded();
    // State failed, then the load delegate told; content and recogniser stay as they are.
    void reportFailed(const AssetError& error);

    std::shared_ptr<NativeAssetView> selfPointer();

private:
    std::string assetName_;
    std::shared_ptr<platform::TapGestureRecognizer> clickGestureRecognizer_;
};

}  // namespace solen
