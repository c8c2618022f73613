#pragma once

#include "Commons/Configs/ConfigType.h"
#include "Commons/Json/JsonReader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace solen {

// One requested document type with the service stamp of the copy the SDK holds (0 for none).
struct ConfigInfo {
    std::int64_t lastUpdatedTs = 0;
    ConfigType type = ConfigType::root;

    static ConfigInfo decode(const JsonReader& reader);
    Json encode() const;
    bool operator==(const ConfigInfo&) const = default;
};

// The body the SDK posts to the config service.
struct ConfigRequest {
    std::optional<std::string> appId;
    std::string version;
    std::vector<ConfigInfo> configs;

    static ConfigRequest decode(const JsonReader& reader);
    Json encode() const;
    bool operator==(const ConfigRequest&) const = default;
};

// Reads a document type name; fails on anything but the five names.
ConfigType decodeConfigType(const JsonReader& reader);

}  // namespace solen
