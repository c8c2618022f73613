#pragma once

#include "Ad/RenderEngine/Native/Assets/S2sNativeAdDelegate.h"

#include <solen/ui/Error.h>

#include <memory>

namespace solen {

class NativeAdLoader;

// The native ad that owns a loader: hears that the whole set of assets is ready (again at every
// success while it stays ready) or that a required asset failed (each time), and leads on to its
// adapter, which it holds weakly. Main thread.
class NativeAdAssetLoadDelegate {
public:
    virtual ~NativeAdAssetLoadDelegate() = default;
    virtual void nativeAdAssetLoadedSuccessfully(NativeAdLoader& sender) = 0;
    virtual void nativeAdAssetLoadFailed(NativeAdLoader& sender, const platform::Error& error) = 0;
    // The ad's adapter; none once it is gone.
    virtual std::shared_ptr<S2sNativeAdDelegate> s2sNativeAdDelegate() const = 0;
};

}  // namespace solen
