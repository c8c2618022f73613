#pragma once

#include <solen/SolenExport.h>
#include <solen/adapters/AdapterSdkConfiguration.h>
#include <solen/adapters/SdkInitializedResult.h>

#include <optional>
#include <string>

namespace solen {

// The SDK-level adapter of one ad network: it starts the network's own SDK, reports versions and
// makes header-bidding tokens. An adapter package supplies one such class per network, registered
// under the name "Solen" + network + "Adapter." + network + "SDKAdapter"; the SDK finds it by that
// name and creates a fresh instance (default-constructed) for each start-up attempt or lookup.
//
// The network's start-up state belongs to the class, not to an instance: every instance reads and
// writes the same value. Derive from `SolenSDKAdapter<YourClass>`, which keeps that value.
//
// Threads: start-up calls come from background threads, possibly several at once;
// `initOnAdLoad` and `getBidToken` may also come from the thread that builds a bid request. The
// start-up handler may be called from any thread. Adapter code must not throw: an exception that
// escapes is logged and the call counts as having given nothing.
class SOLEN_EXPORT SolenBaseSDKAdapter {
public:
    virtual ~SolenBaseSDKAdapter();

    // The network SDK's version; sent as the network's version with its bid token.
    virtual std::string networkSDKVersion() const = 0;
    virtual std::string adapterVersion() const = 0;

    // The class's start-up state, shared by every instance of the class. The SDK reads it before
    // every start-up attempt and every load, and stores the outcome of the start-ups it drives.
    // Only `success(true)` means ready. Safe from any thread; readers get a copy.
    virtual SdkInitializedResult sdkInitializedResult() const = 0;
    virtual void setSdkInitializedResult(SdkInitializedResult result) = 0;

    // Called at SDK start-up (and before a bid token is collected) unless the state is
    // `success(true)`: start the network SDK asynchronously and call `handler` once with the
    // outcome; the SDK stores it as the class's state. The handler owns the adapter until the
    // handler is destroyed: call it once, then drop it.
    virtual void initOnSDKInit(const AdapterSdkConfiguration& configuration, SdkInitializedResultHandler handler) = 0;
    // Called synchronously before a line item of this network loads (and before a bid token is
    // collected) unless the state is `success(true)`. A returned result becomes the class's state;
    // none leaves it unchanged.
    virtual std::optional<SdkInitializedResult> initOnAdLoad(const AdapterSdkConfiguration& configuration) = 0;
    // The header-bidding token for the bid request; the SDK sends its UTF-8 bytes base64-encoded.
    // The default gives none, which leaves the network out of the header-bidding data.
    virtual std::optional<std::string> getBidToken(const AdapterSdkConfiguration& configuration);

protected:
    SolenBaseSDKAdapter() = default;
    SolenBaseSDKAdapter(const SolenBaseSDKAdapter&) = default;
    SolenBaseSDKAdapter& operator=(const SolenBaseSDKAdapter&) = default;
};

}  // namespace solen
