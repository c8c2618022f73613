#pragma once

#include <solen/adapters/AdapterAdConfiguration.h>
#include <solen/adapters/AdapterSdkConfiguration.h>
#include <solen/ui/Size.h>

#include "Ad/Network/Models/Ads.h"
#include "Commons/Configs/AdapterConfig.h"

#include <optional>

namespace solen {

// The records handed to network adapters, built from the mediation configuration and the ad
// response. Free-form settings pass only when they are JSON objects; anything else is left out
// (the record itself is still built). Pure functions, callable from any thread.

// The network's start-up configuration: its `adapterMeta` when that is an object.
AdapterSdkConfiguration makeAdapterSdkConfiguration(const AdapterConfig& network);

// A line item's load configuration: its `lineItemMeta` when that is an object, the network's
// start-up configuration when the network is registered (`network` not null), and the placement's
// size. The creative is left for the caller, which decides its kind.
AdapterAdConfiguration makeAdapterAdConfiguration(const Ads& lineItem, const AdapterConfig* network,
                                                  std::optional<platform::Size> adSize);

}  // namespace solen
