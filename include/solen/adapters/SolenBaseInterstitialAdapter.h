#pragma once

#include <solen/SolenExport.h>
#include <solen/adapters/InterstitialAdapterDelegate.h>
#include <solen/adapters/SolenBaseFullScreenAdapter.h>

namespace solen {

// A network's interstitial ad adapter. `isReady` and `show` run on the main thread.
class SOLEN_EXPORT SolenBaseInterstitialAdapter : public SolenBaseFullScreenAdapter<InterstitialAdapterDelegate> {};

}  // namespace solen
