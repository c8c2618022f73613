#include "Platform/Device/AdvertisingIdentifierManager.h"
#include "Platform/Device/CellularProvider.h"
#include "Platform/Device/CurrentDevice.h"
#include "Platform/Device/LocationManager.h"
#include "Platform/Device/TrackingAuthorization.h"
#include "Platform/Dispatch/MainLoop.h"

#include <gtest/gtest.h>

#include <sys/utsname.h>

namespace solen::platform {
namespace {

TEST(DeviceStandInsTests, LinuxDefaultsAreWhatTheMachineTells) {
    struct utsname names {};
    ASSERT_EQ(uname(&names), 0);
    EXPECT_EQ(CurrentDevice::machineName(), names.machine);
    EXPECT_EQ(CurrentDevice::model(), names.sysname);
    EXPECT_EQ(CurrentDevice::identifierForVendor(), std::nullopt);
    EXPECT_EQ(AdvertisingIdentifierManager::advertisingIdentifier(), "00000000-0000-0000-0000-000000000000");
    EXPECT_FALSE(AdvertisingIdentifierManager::isAdvertisingTrackingEnabled());
    EXPECT_EQ(TrackingAuthorization::trackingAuthorizationStatus(), TrackingAuthorization::Status::notDetermined);
    EXPECT_FALSE(CellularProvider::subscriberCellularProvider().has_value());
    EXPECT_FALSE(LocationManager::locationServicesEnabled());
    EXPECT_EQ(LocationManager::authorizationStatus(), LocationManager::AuthorizationStatus::notDetermined);

    CurrentDevice::setModelProvider([] { return std::string("iPad"); });
    EXPECT_EQ(CurrentDevice::model(), "iPad");
    CurrentDevice::setModelProvider({});
    EXPECT_EQ(CurrentDevice::model(), names.sysname);
}

struct RecordingDelegate : LocationManagerDelegate {
    std::vector<std::vector<Location>> updates;
    std::vector<Error> failures;
    void locationManagerDidUpdateLocations(LocationManager&, const std::vector<Location>& locations) override {
        EXPECT_TRUE(MainLoop::shared().isMainThread());
        updates.push_back(locations);
    }
    void locationManagerDidFailWithError(LocationManager&, const Error& error) override { failures.push_back(error); }
};

TEST(DeviceStandInsTests, SimulatedReportsReachOnlyUpdatingManagersOnMain) {
    auto updating = LocationManager::create();
    auto idle = LocationManager::create();
    auto updatingDelegate = std::make_shared<RecordingDelegate>();
    auto idleDelegate = std::make_shared<RecordingDelegate>();
    updating->setDelegate(updatingDelegate);
    idle->setDelegate(idleDelegate);
    updating->startUpdatingLocation();

    Location fix;
    fix.coordinate = {1, 2};
    LocationManager::simulateLocations({fix});
    EXPECT_TRUE(updatingDelegate->updates.empty());  // delivered on the main loop, not inline
    MainLoop::shared().runUntilIdle();
    ASSERT_EQ(updatingDelegate->updates.size(), 1u);
    EXPECT_EQ(updatingDelegate->updates[0].size(), 1u);
    EXPECT_TRUE(idleDelegate->updates.empty());

    updating->stopUpdatingLocation();
    LocationManager::simulateFailure(Error{});
    MainLoop::shared().runUntilIdle();
    EXPECT_TRUE(updatingDelegate->failures.empty());

    // A released delegate or manager is skipped.
    idle->startUpdatingLocation();
    idleDelegate.reset();
    updating.reset();
    LocationManager::simulateLocations({fix});
    EXPECT_NO_THROW(MainLoop::shared().runUntilIdle());
}

}  // namespace
}  // namespace solen::platform
