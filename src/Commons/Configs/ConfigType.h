#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace solen {

// The configuration document types, in the order the SDK walks them. The raw value names the
// document in requests, answers and the persistent store.
enum class ConfigType { root, signals, primeAds, primeMediation, analytics };

inline constexpr std::array<ConfigType, 5> allConfigTypes{ConfigType::root, ConfigType::signals,
                                                          ConfigType::primeAds, ConfigType::primeMediation,
                                                          ConfigType::analytics};

constexpr std::string_view rawValue(ConfigType type) {
    switch (type) {
        case ConfigType::root: return "root";
        case ConfigType::signals: return "signals";
        case ConfigType::primeAds: return "primeAds";
        case ConfigType::primeMediation: return "primeMediation";
        case ConfigType::analytics: return "analytics";
    }
    return "";
}

constexpr std::optional<ConfigType> configTypeFromRawValue(std::string_view raw) {
    for (const ConfigType type : allConfigTypes) {
        if (rawValue(type) == raw) {
            return type;
        }
    }
    return std::nullopt;
}

}  // namespace solen
