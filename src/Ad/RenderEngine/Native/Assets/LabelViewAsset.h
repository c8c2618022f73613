#pragma once

#include "Ad/RenderEngine/Native/Assets/NativeAssetView.h"
#include "Ad/RenderEngine/Native/LabelAssetModel.h"

#include <solen/ui/Label.h>

#include <memory>
#include <string>

namespace solen {

// The text asset of a native ad (title, description, sponsor line, rating, call to action): a
// label that takes its model's text when asked to load, or fails when the text is empty. It sets
// the text only; font, colour, alignment and line count stay as the label or the application's
// template has them. Loading is local and reports inside loadAsset(). Main thread only.
class LabelViewAsset final : public NativeAssetView<platform::Label> {
public:
    // Starts in state loading with user interaction on; does not load. `delegate` serves as both
    // the interaction and the load delegate and is held weakly.
    static std::shared_ptr<LabelViewAsset> create(platform::Rect frame, std::string assetName, LabelAssetModel model,
                                                  Delegate delegate);

    const LabelAssetModel& model() const { return model_; }

    // An empty value fails with emptyAssetValue and leaves the text as it was; any other text
    // (blanks, control characters, any length) is set as given, the state becomes loaded and
    // taps are enabled. May be repeated; each call reports again.
    void loadAsset() override;

private:
    LabelViewAsset(platform::Rect frame, std::string assetName, LabelAssetModel model);

    bool isRequired() const override { return model_.required; }
    std::optional<AssetOnClick> clickAction() const override { return model_.onClick; }

    LabelAssetModel model_;
};

}  // namespace solen
