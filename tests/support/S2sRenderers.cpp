#include "support/S2sRenderers.h"

#include "Ad/Adapter/S2s/S2sBannerAdapter.h"
#include "Ad/Adapter/S2s/S2sInterstitialAdapter.h"
#include "Ad/Adapter/S2s/S2sNativeAdapter.h"

namespace solen::test {

void linkS2sRenderers() {
    // Making one of each refers to their objects, which hold the registrations.
    static_cast<void>(std::make_shared<S2sBannerAdapter>());
    static_cast<void>(std::make_shared<S2sInterstitialAdapter>());
    static_cast<void>(std::make_shared<S2sNativeAdapter>());
}

}  // namespace solen::test
