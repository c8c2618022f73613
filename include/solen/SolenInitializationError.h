#pragma once

#include <solen/SolenExport.h>

#include <cstdint>
#include <optional>
#include <string>

namespace solen {

// Why the SDK's initialisation failed. The raw value is the error code the completion receives.
enum class SolenInitializationError : std::int64_t {
    configFetchFailed = 1001,
    networkUnavailable = 1002,
    invalidAppId = 1003,
    unsupportedOSVersion = 1004,
};

// The case with this raw value; nothing outside 1001 to 1004.
SOLEN_EXPORT std::optional<SolenInitializationError> solenInitializationErrorFromRawValue(std::int64_t rawValue);

// The standard description of each case.
SOLEN_EXPORT const std::string& defaultMessage(SolenInitializationError error);

}  // namespace solen
