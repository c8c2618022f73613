#include <solen/SolenInitializationError.h>

namespace solen {

std::optional<SolenInitializationError> solenInitializationErrorFromRawValue(std::int64_t rawValue) {
    if (rawValue < 1001 || rawValue > 1004) {
        return std::nullopt;
    }
    return static_cast<SolenInitializationError>(rawValue);
}

const std::string& defaultMessage(SolenInitializationError error) {
    static const auto& configFetchFailed =
        *new std::string("Failed to fetch config. Please check the configurations on Solen UI");
    static const auto& networkUnavailable =
        *new std::string("SDK failed to initialize because no internet connection is available");
    static const auto& invalidAppId = *new std::string("Invalid app id.");
    static const auto& unsupportedOSVersion =
        *new std::string(std::string("Error initialising the SDK. The minimum supported iOS version is ") + "10.0.0");
    switch (error) {
        case SolenInitializationError::configFetchFailed: return configFetchFailed;
        case SolenInitializationError::networkUnavailable: return networkUnavailable;
        case SolenInitializationError::invalidAppId: return invalidAppId;
        case SolenInitializationError::unsupportedOSVersion: return unsupportedOSVersion;
    }
    return configFetchFailed;
}

}  // namespace solen
