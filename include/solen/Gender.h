#pragma once

#include <cstdint>
#include <optional>

namespace solen {

// The user's gender, for publisher-provided user data.
enum class Gender : std::int64_t {
    male = 1,
    female = 2,
};

// Nothing for any raw value other than 1 and 2.
constexpr std::optional<Gender> genderFromRawValue(std::int64_t rawValue) {
    if (rawValue == 1 || rawValue == 2) {
        return static_cast<Gender>(rawValue);
    }
    return std::nullopt;
}

constexpr std::int64_t rawValue(Gender gender) { return static_cast<std::int64_t>(gender); }

}  // namespace solen
