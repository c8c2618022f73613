#include "Platform/Device/LocationManager.h"

#include "Platform/Dispatch/MainLoop.h"

#include <algorithm>

namespace solen::platform {
namespace {

struct Simulation {
    std::mutex mutex;
    bool servicesEnabled = false;
    LocationManager::AuthorizationStatus status = LocationManager::AuthorizationStatus::notDetermined;
    std::vector<std::weak_ptr<LocationManager>> managers;
};

Simulation& simulation() {
    static auto& instance = *new Simulation;
    return instance;
}

}  // namespace

std::shared_ptr<LocationManager> LocationManager::create() {
    std::shared_ptr<LocationManager> manager(new LocationManager());
    Simulation& sim = simulation();
    std::lock_guard lock(sim.mutex);
    std::erase_if(sim.managers, [](const auto& weak) { return weak.expired(); });
    sim.managers.push_back(manager);
    return manager;
}

LocationManager::~LocationManager() = default;

void LocationManager::setDelegate(std::weak_ptr<LocationManagerDelegate> delegate) {
    std::lock_guard lock(mutex_);
    delegate_ = std::move(delegate);
}

void LocationManager::setDesiredAccuracy(double metres) {
    std::lock_guard lock(mutex_);
    desiredAccuracy_ = metres;
}

double LocationManager::desiredAccuracy() const {
    std::lock_guard lock(mutex_);
    return desiredAccuracy_;
}

void LocationManager::startUpdatingLocation() {
    std::lock_guard lock(mutex_);
    updating_ = true;
}

void LocationManager::stopUpdatingLocation() {
    std::lock_guard lock(mutex_);
    updating_ = false;
}

bool LocationManager::isUpdatingLocation() const {
    std::lock_guard lock(mutex_);
    return updating_;
}

bool LocationManager::locationServicesEnabled() {
    Simulation& sim = simulation();
    std::lock_guard lock(sim.mutex);
    return sim.servicesEnabled;
}

LocationManager::AuthorizationStatus LocationManager::authorizationStatus() {
    Simulation& sim = simulation();
    std::lock_guard lock(sim.mutex);
    return sim.status;
}

void LocationManager::setLocationServicesEnabled(bool enabled) {
    Simulation& sim = simulation();
    std::lock_guard lock(sim.mutex);
    sim.servicesEnabled = enabled;
}

void LocationManager::setAuthorizationStatus(AuthorizationStatus status) {
    Simulation& sim = simulation();
    std::lock_guard lock(sim.mutex);
    sim.status = status;
}

void LocationManager::resetSimulation() {
    setLocationServicesEnabled(false);
    setAuthorizationStatus(AuthorizationStatus::notDetermined);
}

std::vector<std::shared_ptr<LocationManager>> LocationManager::updatingManagers() {
    std::vector<std::shared_ptr<LocationManager>> result;
    Simulation& sim = simulation();
    std::lock_guard lock(sim.mutex);
    for (const auto& weak : sim.managers) {
        if (auto manager = weak.lock(); manager && manager->isUpdatingLocation()) {
            result.push_back(std::move(manager));
        }
    }
    return result;
}

void LocationManager::deliverOnMain(std::function<void(LocationManager&, LocationManagerDelegate&)> report) {
    performOnMainQueue([report = std::move(report)] {
        for (const auto& manager : updatingManagers()) {
            std::shared_ptr<LocationManagerDelegate> delegate;
            {
                std::lock_guard lock(manager->mutex_);
                delegate = manager->delegate_.lock();
            }
            if (delegate) {
                report(*manager, *delegate);
            }
        }
    });
}

void LocationManager::simulateLocations(std::vector<Location> locations) {
    deliverOnMain([locations = std::move(locations)](LocationManager& manager, LocationManagerDelegate& delegate) {
        delegate.locationManagerDidUpdateLocations(manager, locations);
    });
}

void LocationManager::simulateFailure(Error error) {
    deliverOnMain([error = std::move(error)](LocationManager& manager, LocationManagerDelegate& delegate) {
        delegate.locationManagerDidFailWithError(manager, error);
    });
}

}  // namespace solen::platform
