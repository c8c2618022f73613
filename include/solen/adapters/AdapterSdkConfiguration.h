#pragma once

#include <solen/SolenExport.h>

#include <nlohmann/json.hpp>

#include <optional>

namespace solen {

// The network configuration handed to a network's SDK adapter at start-up, before a load and for
// bid tokens: the network's own settings from the mediation configuration, with keys each network
// defines for itself. A plain value.
struct SOLEN_EXPORT AdapterSdkConfiguration {
    // A JSON object when present. The SDK leaves it absent when the configuration has no settings
    // for the network or they are not an object.
    std::optional<nlohmann::ordered_json> networkConfig;

    AdapterSdkConfiguration() = default;
    explicit AdapterSdkConfiguration(std::optional<nlohmann::ordered_json> networkConfig)
        : networkConfig(std::move(networkConfig)) {}

    friend bool operator==(const AdapterSdkConfiguration&, const AdapterSdkConfiguration&) = default;
};

}  // namespace solen
