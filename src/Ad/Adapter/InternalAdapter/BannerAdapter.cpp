#include "Ad/Adapter/InternalAdapter/BannerAdapter.h"

namespace solen {

BannerAdapter::BannerAdapter(std::shared_ptr<SolenBaseBannerAdapter> adapter,
                             std::weak_ptr<InternalAdapterDelegate> owner, std::shared_ptr<TrackerManager> trackerManager)
    : AdapterWrapper(AdFormat::banner, &implements<InternalBannerAdapterDelegate>, adapter, std::move(owner),
                     std::move(trackerManager)),
      bannerAdapter_(std::move(adapter)) {}

std::shared_ptr<BannerAdapter> BannerAdapter::create(std::shared_ptr<SolenBaseBannerAdapter> adapter,
                                                     std::weak_ptr<InternalAdapterDelegate> owner,
                                                     std::shared_ptr<TrackerManager> trackerManager) {
    return make<BannerAdapter>(std::move(adapter), std::move(owner), std::move(trackerManager));
}

std::shared_ptr<platform::ViewController> BannerAdapter::viewControllerForModalPresentation() {
    return modalViewController<InternalBannerAdapterDelegate>();
}

}  // namespace solen
