#pragma once

#include <solen/SolenExport.h>
#include <solen/adapters/AdapterSdkConfiguration.h>
#include <solen/adapters/CreativeDataModelProtocol.h>
#include <solen/ui/Size.h>

#include <nlohmann/json.hpp>

#include <memory>
#include <optional>

namespace solen {

// What a network ad adapter receives to load one line item. A plain value; the creative is
// shared and never changed once built.
struct SOLEN_EXPORT AdapterAdConfiguration {
    // The line item's own settings from the bid response; a JSON object when present.
    std::optional<nlohmann::ordered_json> lineItemConfig;
    // The creative (usually a `CreativeData` with the decoded markup), or none.
    std::shared_ptr<const CreativeDataModelProtocol> creativeModel;
    // The network's SDK configuration, as at start-up; none when the network is not registered.
    std::optional<AdapterSdkConfiguration> adapterSdkConfig;
    // The placement's ad size in points.
    std::optional<platform::Size> adSize;

    // Leaves `creativeModel` empty: whoever builds the configuration sets it afterwards.
    AdapterAdConfiguration(std::optional<nlohmann::ordered_json> lineItemConfig = std::nullopt,
                           std::optional<AdapterSdkConfiguration> adapterSdkConfig = std::nullopt,
                           std::optional<platform::Size> adSize = std::nullopt)
        : lineItemConfig(std::move(lineItemConfig)), adapterSdkConfig(std::move(adapterSdkConfig)), adSize(adSize) {}
};

}  // namespace solen
