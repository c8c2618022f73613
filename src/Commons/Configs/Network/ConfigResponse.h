#pragma once

#include "Commons/Configs/ConfigDocument.h"
#include "Commons/Configs/ConfigType.h"
#include "Commons/Json/JsonReader.h"

#include <optional>
#include <string_view>
#include <vector>

namespace solen {

// The config service's answer: one result per requested document type.
struct ConfigResponse {
    enum class ConfigStatus { updated = 200, noChange = 304 };

    struct Config {
        ConfigType type = ConfigType::root;
        // The new document. An entry may come without one (absent or null "content"), normally
        // with status noChange.
        std::optional<ConfigDocument> content;
        ConfigStatus status = ConfigStatus::noChange;
        double lastUpdatedTs = 0;  // the service's stamp of this version of the document

        static Config decode(const JsonReader& reader);
        Json encode() const;
        bool operator==(const Config&) const = default;
    };

    std::vector<Config> configs;

    // Lenient over the list: an entry that fails to decode is logged and skipped, the others are
    // kept in order. Fails only when "configs" is missing or not an array.
    static ConfigResponse decode(const JsonReader& reader);
    Json encode() const;
    bool operator==(const ConfigResponse&) const = default;

    // Parses and decodes a response body. Throws JsonDecodingError.
    static ConfigResponse fromBody(std::string_view body);
};

}  // namespace solen
