#include "Ad/Network/Signals/GeoLocation.h"

#include "Commons/Configs/ConfigUtil.h"
#include "Commons/Utilities/Logger.h"
#include "Platform/Dispatch/MainLoop.h"

#include <sstream>

namespace solen {
namespace {

std::string coordinateDescription(const platform::Location::Coordinate& coordinate) {
    std::ostringstream text;
    text << "Coordinate(latitude: " << coordinate.latitude << ", longitude: " << coordinate.longitude << ")";
    return text.str();
}

}  // namespace

std::shared_ptr<GeoLocation> GeoLocation::shared() {
    static const auto* instance = new std::shared_ptr<GeoLocation>(create());
    return *instance;
}

std::shared_ptr<GeoLocation> GeoLocation::create() {
    std::shared_ptr<GeoLocation> instance(new GeoLocation());
    std::weak_ptr<GeoLocation> weak = instance;
    platform::performOnMainQueue([weak] {
        if (auto self = weak.lock()) {
            self->createManager();
        }
    });
    return instance;
}

GeoLocation::~GeoLocation() {
    if (manager_) {
        manager_->stopUpdatingLocation();
    }
}

void GeoLocation::createManager() {
    auto manager = platform::LocationManager::create();
    manager->setDelegate(weak_from_this());
    manager->setDesiredAccuracy(platform::LocationManager::accuracyHundredMeters);
    std::lock_guard lock(mutex_);
    manager_ = std::move(manager);
}

void GeoLocation::updateLocation() {
    if (!ConfigUtil::signalsConfig().location) {
        Logger::debug("Location is disabled from signalConfig");
        return;
    }
    Logger::debug("");
    std::weak_ptr<GeoLocation> weak = weak_from_this();
    platform::performOnMainQueue([weak] {
        auto self = weak.lock();
        if (!self) {
            return;
        }
        std::weak_ptr<GeoLocation> weakSelf = self;
        self->requestLocation([weakSelf](std::optional<platform::Location> location) {
            auto geo = weakSelf.lock();
            if (!geo) {
                return;
            }
            if (location) {
                {
                    std::lock_guard lock(geo->mutex_);
                    geo->deviceLocation_ = location;
                }
                Logger::debug("location found " + coordinateDescription(location->coordinate));
            } else {
                Logger::debug("location failed");
            }
        });
    });
}

void GeoLocation::requestLocation(Callback callback) {
    std::shared_ptr<platform::LocationManager> manager;
    {
        std::lock_guard lock(mutex_);
        locationCallback_ = std::move(callback);
        manager = manager_;
    }
    const auto status = platform::LocationManager::authorizationStatus();
    const bool authorised = status == platform::LocationManager::AuthorizationStatus::authorizedAlways ||
                            status == platform::LocationManager::AuthorizationStatus::authorizedWhenInUse;
    if (platform::LocationManager::locationServicesEnabled() && authorised) {
        if (manager) {
            {
                std::lock_guard lock(mutex_);
                requestPending_ = true;
            }
            manager->startUpdatingLocation();
        }
        return;
    }
    Callback call;
    {
        std::lock_guard lock(mutex_);
        call = locationCallback_;
    }
    if (call) {
        call(std::nullopt);
    }
}

void GeoLocation::deliver(std::optional<platform::Location> location) {
    Callback call;
    {
        std::lock_guard lock(mutex_);
        call = locationCallback_;
    }
    if (call) {
        call(std::move(location));
    }
}

void GeoLocation::locationManagerDidUpdateLocations(platform::LocationManager& manager,
                                                    const std::vector<platform::Location>& locations) {
    {
        std::lock_guard lock(mutex_);
        // A report with no fix, or one that no request of ours asked for, is ignored.
        if (locations.empty() || !requestPending_) {
            return;
        }
        requestPending_ = false;
    }
    deliver(locations.back());
    manager.stopUpdatingLocation();
}

void GeoLocation::locationManagerDidFailWithError(platform::LocationManager& manager, const platform::Error& error) {
    {
        std::lock_guard lock(mutex_);
        if (!requestPending_) {
            return;
        }
        requestPending_ = false;
        didFailWithError_ = error;
    }
    deliver(std::nullopt);
    manager.stopUpdatingLocation();
}

std::optional<platform::Location> GeoLocation::deviceLocation() const {
    std::lock_guard lock(mutex_);
    return deviceLocation_;
}

std::optional<platform::Error> GeoLocation::didFailWithError() const {
    std::lock_guard lock(mutex_);
    return didFailWithError_;
}

void GeoLocation::resetForTesting() {
    std::lock_guard lock(mutex_);
    locationCallback_ = nullptr;
    didFailWithError_.reset();
    deviceLocation_.reset();
    requestPending_ = false;
}

std::shared_ptr<platform::LocationManager> GeoLocation::manager() const {
    std::lock_guard lock(mutex_);
    return manager_;
}

}  // namespace solen
