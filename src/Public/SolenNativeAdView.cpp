#include <solen/SolenNativeAdView.h>

#include "Ad/Adapter/AdapterCall.h"
#include "Public/SolenNativeAdViewDelegate.h"

namespace solen {

namespace {

std::shared_ptr<SolenBaseNativeAdapter> adapterBehind(const SolenNativeAdView& view) {
    const std::shared_ptr<SolenNativeAdViewDelegate> delegate = view.delegate();
    return delegate ? delegate->solenAdAdapter() : nullptr;
}

}  // namespace

SolenNativeAdView::SolenNativeAdView(platform::Rect frame) : View(frame) {}

void SolenNativeAdView::willMoveToSuperview(const std::shared_ptr<platform::View>& newSuperview) {
    View::willMoveToSuperview(newSuperview);
    if (const auto adapter = adapterBehind(*this)) {
        const bool attached = newSuperview != nullptr;
        callAdapter(*adapter, "adViewAttached", [&] { adapter->adViewAttached(attached); });
    }
}

void SolenNativeAdView::draw(platform::Rect rect) {
    View::draw(rect);
    if (const auto adapter = adapterBehind(*this)) {
        callAdapter(*adapter, "adViewFrameUpdated", [&] { adapter->adViewFrameUpdated(rect); });
    }
}

}  // namespace solen
