#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace solen {

// Kinds of publisher-provided user information, each kept under the key-value entry of its name.
// Clearing the user's information walks `kAllPublicInfoCases` in order.
enum class PublicInfo : std::int64_t {
    location = 0,
    gender = 1,
    customExtras = 2,
    ppId = 3,
};

inline constexpr std::array<PublicInfo, 4> kAllPublicInfoCases = {PublicInfo::location, PublicInfo::gender,
                                                                   PublicInfo::customExtras, PublicInfo::ppId};

// Nothing outside 0 to 3.
constexpr std::optional<PublicInfo> publicInfoFromRawValue(std::int64_t rawValue) {
    if (rawValue >= 0 && rawValue <= 3) {
        return static_cast<PublicInfo>(rawValue);
    }
    return std::nullopt;
}

constexpr std::int64_t rawValue(PublicInfo info) { return static_cast<std::int64_t>(info); }

// The key-value entry: "location", "gender", "customExtras", "ppId".
constexpr std::string_view keyValueKey(PublicInfo info) {
    switch (info) {
        case PublicInfo::location: return "location";
        case PublicInfo::gender: return "gender";
        case PublicInfo::customExtras: return "customExtras";
        case PublicInfo::ppId: return "ppId";
    }
    return {};
}

}  // namespace solen
