#pragma once

#include "Commons/Configs/AnalyticsConfig.h"
#include "Commons/Configs/PrimeAdsConfig.h"
#include "Commons/Configs/RootConfig.h"
#include "Commons/Configs/SignalsConfig.h"
#include "Platform/Foundation/URL.h"

#include <optional>

namespace solen {

// How the rest of the SDK reads its configuration: the cached document of the configuration
// manager, else the built-in default for the current build region.
class ConfigUtil {
public:
    static RootConfig rootConfig();
    static PrimeAdsConfig clientConfig();
    static SignalsConfig signalsConfig();
    static AnalyticsConfig analyticsConfig();

    // The config endpoint of the root document; nothing when its text is not a URL.
    static std::optional<platform::URL> getRootUrl();
    // The bid endpoint of the ad-format document; nothing when its text is not a URL. A cached
    // document's endpoint is never replaced by the default's.
    static std::optional<platform::URL> getAdServerUrl();
};

}  // namespace solen
