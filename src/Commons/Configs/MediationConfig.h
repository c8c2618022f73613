#pragma once

#include "Commons/Configs/AdUnitsConfig.h"
#include "Commons/Configs/AdapterConfig.h"
#include "Commons/Json/JsonReader.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace solen {

// The ad networks the publisher has set up and the settings of each ad unit. A document decodes
// whole or not at all: one bad adapter or ad unit fails it.
struct MediationConfig {
    std::vector<AdapterConfig> adapters;
    std::optional<std::vector<AdUnitsConfig>> adUnits;

    static MediationConfig decode(const JsonReader& reader);
    Json encode() const;
    bool operator==(const MediationConfig&) const = default;

    // The refresh interval of the first ad unit with exactly this id; 0 when none is listed.
    static std::int64_t lookupValue(std::string_view adUnitId, const std::optional<std::vector<AdUnitsConfig>>& adUnits);
};

}  // namespace solen
