#include "Ad/Adapter/InternalAdapter/SplashAdapter.h"

namespace solen {

SplashAdapter::SplashAdapter(std::shared_ptr<SolenBaseSplashAdapter> adapter,
                             std::weak_ptr<InternalAdapterDelegate> owner, std::shared_ptr<TrackerManager> trackerManager)
    : AdapterWrapper(AdFormat::splash, &implements<InternalSplashAdapterDelegate>, adapter, std::move(owner),
                     std::move(trackerManager)),
      splashAdapter_(std::move(adapter)) {}

std::shared_ptr<SplashAdapter> SplashAdapter::create(std::shared_ptr<SolenBaseSplashAdapter> adapter,
                                                     std::weak_ptr<InternalAdapterDelegate> owner,
                                                     std::shared_ptr<TrackerManager> trackerManager) {
    return make<SplashAdapter>(std::move(adapter), std::move(owner), std::move(trackerManager));
}

}  // namespace solen
