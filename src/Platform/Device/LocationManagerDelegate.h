#pragma once

#include <solen/host/Location.h>
#include <solen/ui/Error.h>

#include <vector>

namespace solen::platform {

class LocationManager;

// Receives a location manager's reports, on the main thread.
class LocationManagerDelegate {
public:
    virtual ~LocationManagerDelegate() = default;
    virtual void locationManagerDidUpdateLocations(LocationManager& manager, const std::vector<Location>& locations) = 0;
    virtual void locationManagerDidFailWithError(LocationManager& manager, const Error& error) = 0;
};

}  // namespace solen::platform
