#pragma once

#include "Ad/Network/Models/NetworkSDKData.h"

#include <map>
#include <optional>
#include <string>

namespace solen {

// Starts the configured networks and collects their header-bidding data, from the settings the
// mediation document filled in. Static operations only; both may run on any thread, at the same
// time as each other; no SDK lock is held while adapter code runs.
class AdapterUtils {
public:
    AdapterUtils() = delete;

    // For every registered network whose adapter is found and not yet started, asks it to start
    // (it answers later, from any thread). A network without adapter, or whose adapter throws, is
    // skipped; the others go on.
    static void initializeAdapters();

    // The header-bidding data of an ad unit, by network id: for each id of its `hbNetworks`, in
    // order, that names a registered header-bidding network with an adapter, the adapter's SDK
    // version and base64 bid token. A network not yet started is started first (may block while its
    // adapter starts synchronously). A network without token, or whose token is not valid UTF-8,
    // gives no entry; a duplicate id keeps the later entry. Without `hbNetworks` (or with an empty
    // list) logs "Cannot fetch the bidToker because adUnitsConfig is not present" at debug level.
    // None when nothing was collected.
    static std::optional<std::map<std::string, NetworkSDKData>> fetchTPSdksData(const std::string& adUnitId);
};

}  // namespace solen
