#pragma once

#include <solen/ui/Error.h>

#include <memory>

namespace solen {

class NativeAsset;

// Receives the outcome of an asset's load (the native ad's loader, and assets that hold other
// assets). Called on the main thread, after the asset has set its state to loaded or failed.
class NativeAssetLoadDelegate {
public:
    virtual ~NativeAssetLoadDelegate() = default;
    virtual void assetLoadedSuccessfully(const std::shared_ptr<NativeAsset>& asset) = 0;
    // `error` is any error; asset views pass an AssetError's platform form.
    virtual void assetLoadFailed(const std::shared_ptr<NativeAsset>& asset, const platform::Error& error) = 0;
};

}  // namespace solen
