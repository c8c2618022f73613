#pragma once

#include "Commons/Utilities/OptionalAnyDictionary.h"

#include <optional>
#include <string>

namespace solen {

// One ad network set up for the application, as the mediation document lists it.
struct AdapterConfig {
    std::string networkId;
    std::string adapterName;          // forms the class names of the network's adapters
    OptionalAnyDictionary adapterMeta;  // network-specific settings, opaque to the SDK
    bool headerBidder = false;
    double timeout = 0;               // load time-out of a line item of this network, ms

    static AdapterConfig decode(const JsonReader& reader);
    Json encode() const;
    bool operator==(const AdapterConfig&) const = default;
};

}  // namespace solen
