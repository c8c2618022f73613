#pragma once

#include "Commons/Json/JsonReader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace solen {

// One ad unit with its settings, as the mediation document lists it.
struct AdUnitsConfig {
    std::string adUnitId;
    std::int64_t refresh = 0;  // banner refresh interval in ms; 0 means no refresh
    std::optional<std::vector<std::string>> hbNetworks;

    static AdUnitsConfig decode(const JsonReader& reader);
    Json encode() const;
    bool operator==(const AdUnitsConfig&) const = default;
};

}  // namespace solen
