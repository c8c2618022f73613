#pragma once

#include "Commons/Configs/AnalyticsConfig.h"
#include "Commons/Configs/PrimeAdsConfig.h"
#include "Commons/Configs/RootConfig.h"
#include "Commons/Configs/SignalsConfig.h"

#include <cstdint>
#include <string_view>

namespace solen {

// The built-in documents the SDK runs on before its first fetch and whenever a persisted document
// is missing or unreadable. There is none for the mediation document. Defaults with an endpoint
// take the build region (0 global, 1 China).
class ConfigDefaults {
public:
    // The SDK's own version and the version it reports to the config service.
    static constexpr std::string_view sdkVersion = "1.0.0-beta4";
    static constexpr std::string_view serviceVersion = "p-i-1.0.0-beta4";

    static RootConfig root(std::int64_t buildType);
    static SignalsConfig signals();
    static PrimeAdsConfig primeAds(std::int64_t buildType);
    static AnalyticsConfig analytics();
};

}  // namespace solen
