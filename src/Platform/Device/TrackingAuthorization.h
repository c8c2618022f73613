#pragma once

#include <functional>

namespace solen::platform {

// The application's tracking authorisation. Nothing on Linux asks the user, so the default is
// `notDetermined`. Thread-safe.
class TrackingAuthorization {
public:
    enum class Status { notDetermined = 0, restricted = 1, denied = 2, authorized = 3 };

    static Status trackingAuthorizationStatus();
    // An empty function restores the default.
    static void setStatusProvider(std::function<Status()> provider);
};

}  // namespace solen::platform
