#pragma once

#include <solen/SolenExport.h>
#include <solen/adapters/AdapterAdConfiguration.h>

#include <optional>
#include <string>

namespace solen {

// The base of every network ad adapter. The SDK creates one instance (default-constructed) per
// line-item load, found under the name "Solen" + network + "Adapter." + network + format word +
// "Adapter" ("SolenExampleAdapter.ExampleBannerAdapter"). It sets the format's delegate, calls
// `load` once, and then, after a successful load, asks for the view or shows the ad.
//
// Threads: `load` runs on a background (global) queue; the format's view, readiness and show calls
// run on the main thread; delegate callbacks are accepted from any thread. Adapter code must not
// throw: an exception that escapes is logged and the call counts as having given nothing.
class SOLEN_EXPORT SolenBaseAdAdapter {
public:
    virtual ~SolenBaseAdAdapter();

    // Loads the line item. Answer through the delegate with exactly one of `adAdapterDidLoad` or
    // `adAdapterDidFailToLoad`; without an answer the SDK's load timer fails the line item with
    // `lineItemTimeout`.
    virtual void load(const AdapterAdConfiguration& configuration) = 0;
    // The loaded ad's creative id, for tracking; asked at any time after `load`.
    virtual std::optional<std::string> getCreativeId() = 0;

protected:
    SolenBaseAdAdapter() = default;
    SolenBaseAdAdapter(const SolenBaseAdAdapter&) = default;
    SolenBaseAdAdapter& operator=(const SolenBaseAdAdapter&) = default;
};

}  // namespace solen
