#include "Ad/RenderEngine/Native/Assets/NativeAssetView.h"

#include "Platform/Dispatch/MainLoop.h"

#include <solen/ui/ImageView.h>
#include <solen/ui/Label.h>

#include <cassert>

namespace solen {

template <class ViewBase>
NativeAssetView<ViewBase>::NativeAssetView(platform::Rect frame, std::string assetName)
    : ViewBase(frame), assetName_(std::move(assetName)) {}

template <class ViewBase>
bool NativeAssetView<ViewBase>::isAssetReady() const {
    return assetState() == NativeAssetState::loaded || !isRequired();
}

template <class ViewBase>
bool NativeAssetView<ViewBase>::isAssetInPlace() const {
    return !isRequired() || this->superview() != nullptr;
}

template <class ViewBase>
std::shared_ptr<NativeAssetView<ViewBase>> NativeAssetView<ViewBase>::selfPointer() {
    return std::static_pointer_cast<NativeAssetView>(this->weak_from_this().lock());
}

template <class ViewBase>
platform::TapGestureRecognizer& NativeAssetView<ViewBase>::clickGestureRecognizer() {
    if (!clickGestureRecognizer_) {
        clickGestureRecognizer_ = platform::TapGestureRecognizer::create();
        // An action of our own rather than the header's target template, so that nothing of the
        // asset's type is instantiated in the exported recogniser class.
        std::weak_ptr<NativeAssetView> weakSelf = selfPointer();
        clickGestureRecognizer_->addAction([weakSelf](platform::GestureRecognizer& sender) {
            if (const std::shared_ptr<NativeAssetView> self = weakSelf.lock()) {
                self->wasTapped(sender);
            }
        });
        this->addGestureRecognizer(clickGestureRecognizer_);
        clickGestureRecognizer_->setEnabled(false);
    }
    return *clickGestureRecognizer_;
}

template <class ViewBase>
void NativeAssetView<ViewBase>::wasTapped(platform::GestureRecognizer&) {
    assert(platform::MainLoop::shared().isMainThread());
    // The delegate may let go of this view while it handles the tap.
    const std::shared_ptr<NativeAssetView> self = selfPointer();
    if (const auto delegate = assetViewdelegate()) {
        delegate->assetTapped(self, clickAction());
    }
}

template <class ViewBase>
void NativeAssetView<ViewBase>::reportLoaded() {
    const std::shared_ptr<NativeAssetView> self = selfPointer();
    setAssetState(NativeAssetState::loaded);
    clickGestureRecognizer().setEnabled(true);
    if (const auto delegate = assetLoadDelegate()) {
        delegate->assetLoadedSuccessfully(self);
    }
}

template <class ViewBase>
void NativeAssetView<ViewBase>::reportFailed(const AssetError& error) {
    const std::shared_ptr<NativeAssetView> self = selfPointer();
    setAssetState(NativeAssetState::failed);
    if (const auto delegate = assetLoadDelegate()) {
        delegate->assetLoadFailed(self, error.toError());
    }
}

template class NativeAssetView<platform::Label>;
template class NativeAssetView<platform::ImageView>;

}  // namespace solen
