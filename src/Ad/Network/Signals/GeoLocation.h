#pragma once

#include "Platform/Device/LocationManager.h"
#include "Platform/Device/LocationManagerDelegate.h"

#include <solen/host/Location.h>
#include <solen/ui/Error.h>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace solen {

// Takes one device location fix when the signals configuration allows it and the application is
// already authorised, and keeps it in memory for the bid request. Never asks for permission and
// never stores the fix. The location manager is created and driven on the main thread; the fix is
// guarded and read by copy from any thread.
class GeoLocation : public platform::LocationManagerDelegate, public std::enable_shared_from_this<GeoLocation> {
public:
    using Callback = std::function<void(std::optional<platform::Location>)>;

    static std::shared_ptr<GeoLocation> shared();
    // A separate instance (tests); its manager is created on the main loop like the shared one's.
    static std::shared_ptr<GeoLocation> create();
    ~GeoLocation() override;

    // Starts one lookup when the signals configuration allows location; returns at once. Any thread.
    void updateLocation();
    // Stores the callback, then starts updates when services are on and the application is
    // authorised (always or when in use), otherwise calls the callback at once with nothing.
    void requestLocation(Callback callback);

    std::optional<platform::Location> deviceLocation() const;
    std::optional<platform::Error> didFailWithError() const;
    std::shared_ptr<platform::LocationManager> manager() const;
    // Forgets the fix, the failure and any pending request (tests).
    void resetForTesting();

    void locationManagerDidUpdateLocations(platform::LocationManager& manager,
                                           const std::vector<platform::Location>& locations) override;
    void locationManagerDidFailWithError(platform::LocationManager& manager, const platform::Error& error) override;

private:
    GeoLocation() = default;
    void createManager();
    // The fix or failure of one request: hands it to the stored callback once.
    void deliver(std::optional<platform::Location> location);

    mutable std::mutex mutex_;
    std::shared_ptr<platform::LocationManager> manager_;
    Callback locationCallback_;
    std::optional<platform::Error> didFailWithError_;
    std::optional<platform::Location> deviceLocation_;
    bool requestPending_ = false;
};

}  // namespace solen
