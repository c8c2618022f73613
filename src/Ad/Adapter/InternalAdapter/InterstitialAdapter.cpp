#include "Ad/Adapter/InternalAdapter/InterstitialAdapter.h"

namespace solen {

InterstitialAdapter::InterstitialAdapter(std::shared_ptr<SolenBaseInterstitialAdapter> adapter,
                                         std::weak_ptr<InternalAdapterDelegate> owner,
                                         std::shared_ptr<TrackerManager> trackerManager)
    : FullScreenAdapterWrapper(AdFormat::interstitial, &implements<InternalInterstitialAdapterDelegate>, adapter,
                               std::move(owner), std::move(trackerManager)),
      interstitialAdapter_(std::move(adapter)) {}

std::shared_ptr<InterstitialAdapter> InterstitialAdapter::create(std::shared_ptr<SolenBaseInterstitialAdapter> adapter,
                                                                 std::weak_ptr<InternalAdapterDelegate> owner,
                                                                 std::shared_ptr<TrackerManager> trackerManager) {
    return make<InterstitialAdapter>(std::move(adapter), std::move(owner), std::move(trackerManager));
}

void InterstitialAdapter::adAdapterDidFailToPresent(SolenBaseAdAdapter& /*adapter*/, SolenAdapterError error) {
    didFailToPresent(std::move(error));
}

}  // namespace solen
