#pragma once

#include "Platform/Device/LocationManagerDelegate.h"

#include <solen/host/Location.h>
#include <solen/ui/Error.h>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace solen::platform {

// Location services. A Linux machine has none: by default services are off and the application's
// authorisation is not determined, so no update ever starts. Tests (and the demo) switch services
// on, set the authorisation and inject fixes and failures, which reach the delegates of every
// manager that is updating on the main loop, as the platform delivers them.
class LocationManager : public std::enable_shared_from_this<LocationManager> {
public:
    enum class AuthorizationStatus {
        notDetermined = 0,
        restricted = 1,
        denied = 2,
        authorizedAlways = 3,
        authorizedWhenInUse = 4,
    };

    static constexpr double accuracyHundredMeters = 100.0;
    static constexpr double accuracyBest = -1.0;

    static std::shared_ptr<LocationManager> create();
    ~LocationManager();

    // Main thread only, like the platform's manager.
    void setDelegate(std::weak_ptr<LocationManagerDelegate> delegate);
    void setDesiredAccuracy(double metres);
    double desiredAccuracy() const;
    void startUpdatingLocation();
    void stopUpdatingLocation();
    bool isUpdatingLocation() const;

    static bool locationServicesEnabled();
    static AuthorizationStatus authorizationStatus();

    // Test and host driver.
    static void setLocationServicesEnabled(bool enabled);
    static void setAuthorizationStatus(AuthorizationStatus status);
    // Delivers on the main loop to every manager that is updating when the block runs.
    static void simulateLocations(std::vector<Location> locations);
    static void simulateFailure(Error error);
    // Back to the defaults (services off, not determined).
    static void resetSimulation();

private:
    LocationManager() = default;
    static std::vector<std::shared_ptr<LocationManager>> updatingManagers();
    // Hands a report to the delegate of every updating manager, on the main loop.
    static void deliverOnMain(std::function<void(LocationManager&, LocationManagerDelegate&)> report);

    mutable std::mutex mutex_;
    std::weak_ptr<LocationManagerDelegate> delegate_;
    double desiredAccuracy_ = accuracyBest;
    bool updating_ = false;
};

}  // namespace solen::platform
