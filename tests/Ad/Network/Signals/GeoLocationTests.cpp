#include "Ad/Network/Signals/GeoLocation.h"
#include "Commons/Configs/ConfigDefaults.h"
#include "Commons/Configs/ConfigManager.h"
#include "Platform/Device/LocationManager.h"
#include "Platform/Dispatch/MainLoop.h"
#include "support/LogCapture.h"
#include "support/ScopedUserDefaults.h"

#include <gtest/gtest.h>

#include <thread>

namespace solen {
namespace {

using platform::LocationManager;
using Status = LocationManager::AuthorizationStatus;

platform::Location fix(double latitude, double longitude) {
    platform::Location location;
    location.coordinate = {latitude, longitude};
    location.horizontalAccuracy = 100;
    return location;
}

platform::Error locationError(std::int64_t code) {
    platform::Error error;
    error.domain = "location";
    error.code = code;
    error.localizedDescription = "location unavailable";
    return error;
}

class GeoLocationTests : public ::testing::Test {
protected:
    void SetUp() override {
        allowLocation(true);
        geo_ = GeoLocation::create();
        pump();  // the manager is created on the main loop
        ASSERT_NE(geo_->manager(), nullptr);
        EXPECT_EQ(geo_->manager()->desiredAccuracy(), LocationManager::accuracyHundredMeters);
    }
    void TearDown() override {
        LocationManager::resetSimulation();
        geo_.reset();
        pump();
    }

    static void allowLocation(bool allowed) {
        SignalsConfig signals = ConfigDefaults::signals();
        signals.location = allowed;
        ConfigManager::shared()->store(signals, ConfigType::signals);
        ConfigManager::shared()->loadConfigs();
    }
    static void authorise(Status status, bool servicesOn = true) {
        LocationManager::setLocationServicesEnabled(servicesOn);
        LocationManager::setAuthorizationStatus(status);
    }
    static void pump() { platform::MainLoop::shared().runUntilIdle(); }

    test::ScopedUserDefaults defaults_;
    std::shared_ptr<GeoLocation> geo_;
};

TEST_F(GeoLocationTests, StrayAndEmptyReportsAreIgnored) {
    authorise(Status::authorizedAlways);
    int calls = 0;
    geo_->requestLocation([&](std::optional<platform::Location>) { ++calls; });
    LocationManager::simulateLocations({});
    pump();
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(geo_->manager()->isUpdatingLocation());

    LocationManager::simulateLocations({fix(1, 1)});
    pump();
    EXPECT_EQ(calls, 1);

    // A report after the request was answered (the manager keeps updating here) is not delivered.
    geo_->manager()->startUpdatingLocation();
    LocationManager::simulateLocations({fix(2, 2)});
    LocationManager::simulateFailure(locationError(0));
    pump();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(geo_->didFailWithError(), std::nullopt);
}

TEST_F(GeoLocationTests, WithdrawnAuthorisationOrFailureKeepsTheEarlierFix) {
    authorise(Status::authorizedAlways);
    geo_->updateLocation();
    pump();
    LocationManager::simulateLocations({fix(10, 20)});
    pump();

    for (const auto& [status, servicesOn] : {std::pair{Status::denied, true}, std::pair{Status::authorizedAlways, false}}) {
        authorise(status, servicesOn);
        test::LogCapture log;
        geo_->updateLocation();
        pump();
        EXPECT_TRUE(log.contains("location failed"));
        EXPECT_FALSE(geo_->manager()->isUpdatingLocation());
        ASSERT_TRUE(geo_->deviceLocation().has_value());
        EXPECT_EQ(geo_->deviceLocation()->coordinate.latitude, 10);
    }

    // A failure report is recorded and stops the updates.
    authorise(Status::authorizedAlways);
    geo_->updateLocation();
    pump();
    const platform::Error error = locationError(1);
    LocationManager::simulateFailure(error);
    pump();
    EXPECT_EQ(geo_->didFailWithError(), error);
    EXPECT_FALSE(geo_->manager()->isUpdatingLocation());
    EXPECT_EQ(geo_->deviceLocation()->coordinate.latitude, 10);
}

TEST_F(GeoLocationTests, UpdateFromAnotherThreadStoresTheLastFixAndStops) {
    authorise(Status::authorizedWhenInUse);
    std::thread([geo = geo_] { geo->updateLocation(); }).join();
    pump();
    EXPECT_TRUE(geo_->manager()->isUpdatingLocation());
    LocationManager::simulateLocations({fix(1, 2), fix(5, 6)});
    pump();
    EXPECT_FALSE(geo_->manager()->isUpdatingLocation());
    std::optional<platform::Location> read;
    std::thread([&] { read = geo_->deviceLocation(); }).join();
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->coordinate.longitude, 6);
}

}  // namespace
}  // namespace solen
