#pragma once

#include <solen/SolenExport.h>
#include <solen/adapters/AdapterDelegate.h>

namespace solen {

// The delegate of a splash ad adapter: the common callbacks only. Callable from any thread.
class SOLEN_EXPORT SplashAdapterDelegate : public virtual AdapterDelegate {};

}  // namespace solen
