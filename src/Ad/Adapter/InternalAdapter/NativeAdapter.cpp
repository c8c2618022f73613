#include "Ad/Adapter/InternalAdapter/NativeAdapter.h"

#include "Ad/Adapter/AdapterCall.h"

namespace solen {

NativeAdapter::NativeAdapter(std::shared_ptr<SolenBaseNativeAdapter> adapter,
                             std::weak_ptr<InternalAdapterDelegate> owner, std::shared_ptr<TrackerManager> trackerManager)
    : AdapterWrapper(AdFormat::native, &implements<InternalNativeAdapterDelegate>, adapter, std::move(owner),
                     std::move(trackerManager)),
      nativeAdapter_(std::move(adapter)) {}

std::shared_ptr<NativeAdapter> NativeAdapter::create(std::shared_ptr<SolenBaseNativeAdapter> adapter,
                                                     std::weak_ptr<InternalAdapterDelegate> owner,
                                                     std::shared_ptr<TrackerManager> trackerManager) {
    return make<NativeAdapter>(std::move(adapter), std::move(owner), std::move(trackerManager));
}

std::shared_ptr<SolenNativeAdView> NativeAdapter::getAdView(std::optional<SolenAdViewConfiguration> solenAdConfig) {
    auto view = callAdapter(*nativeAdapter_, "getAdView", std::shared_ptr<SolenNativeAdView>(),
                            [&] { return nativeAdapter_->getAdView(std::move(solenAdConfig)); });
    if (!view) {
        return nullptr;
    }
    nativeAdView_ = view;
    // The view holds the link weakly, sharing the wrapper's life: once the wrapper is gone the view
    // tells nobody.
    view->setDelegate(std::shared_ptr<SolenNativeAdViewDelegate>(shared_from_this(), &viewLink_));
    return view;
}

std::shared_ptr<platform::ViewController> NativeAdapter::viewControllerForModalPresentation() {
    return modalViewController<InternalNativeAdapterDelegate>();
}

}  // namespace solen
