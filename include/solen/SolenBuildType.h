#pragma once

#include <cstdint>
#include <optional>

namespace solen {

// The service region the application is built for; selects the SDK's service endpoints.
enum class SolenBuildType : std::int64_t {
    global = 0,
    china = 1,
};

// The build type with this raw value; nothing for any value but 0 and 1.
constexpr std::optional<SolenBuildType> solenBuildTypeFromRawValue(std::int64_t rawValue) {
    switch (rawValue) {
        case 0: return SolenBuildType::global;
        case 1: return SolenBuildType::china;
        default: return std::nullopt;
    }
}

constexpr std::int64_t rawValue(SolenBuildType type) { return static_cast<std::int64_t>(type); }

}  // namespace solen
