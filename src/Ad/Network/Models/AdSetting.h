#pragma once

#include "Ad/Network/Models/AdFormat.h"

#include <map>
#include <optional>
#include <string>

namespace solen {

// What one ad object asks for: its format, ad unit, size and optional extras. Created by the public
// ad classes; only the ad manager changes it afterwards (switching `adType` to rewarded).
struct AdSetting {
    struct Size {
        double width = 0;
        double height = 0;
        bool operator==(const Size&) const = default;
    };

    AdFormat adType = AdFormat::banner;
    std::optional<std::string> adUnitId;
    std::optional<Size> adSize;
    std::optional<std::map<std::string, std::string>> extras;
    std::optional<std::string> keywords;  // kept for the placement, never sent

    bool operator==(const AdSetting&) const = default;
};

}  // namespace solen
