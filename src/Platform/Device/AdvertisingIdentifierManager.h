#pragma once

#include <functional>
#include <string>

namespace solen::platform {

// The advertising identifier and whether the user lets it be used for tracking. A Linux machine
// has no advertising identifier: the default is the all-zero UUID with tracking not enabled, as
// the platform reports for a device that limits tracking. Thread-safe.
class AdvertisingIdentifierManager {
public:
    static constexpr const char* zeroIdentifier = "00000000-0000-0000-0000-000000000000";

    // UUID text.
    static std::string advertisingIdentifier();
    static bool isAdvertisingTrackingEnabled();

    // Empty functions restore the defaults.
    static void setAdvertisingIdentifierProvider(std::function<std::string()> provider);
    static void setTrackingEnabledProvider(std::function<bool()> provider);
};

}  // namespace solen::platform
