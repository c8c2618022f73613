#include "Ad/Network/Signals/Device.h"
#include "Ad/Network/Signals/Identifiers.h"
#include "Commons/Configs/ConfigManager.h"
#include "Commons/Storage/KeyValueStore.h"
#include "Platform/Foundation/FileManager.h"
#include "Platform/Foundation/UUID.h"
#include "support/ScopedDeviceSignals.h"
#include "support/ScopedManualClock.h"
#include "support/ScopedUserDefaults.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>

namespace solen {
namespace {

using platform::PropertyValue;

class DeviceSignalsTests : public ::testing::Test {
protected:
    void SetUp() override {
        Identifiers::resetForTesting();
        ConfigManager::shared()->loadConfigs();
    }
    void TearDown() override {
        unsetenv("SIMULATOR_MODEL_IDENTIFIER");
        Identifiers::resetForTesting();
        platform::FileManager::defaultManager().setDocumentDirectory(std::nullopt);
        platform::FileManager::defaultManager().setCreationDateProvider({});
    }

    test::ScopedUserDefaults defaults_;
    test::ScopedManualClock clock_;
    test::ScopedDeviceSignals device_;
};

TEST_F(DeviceSignalsTests, ModelIdentifierAndDeviceType) {
    auto values = device_.values();
    const std::vector<std::tuple<std::string, const char*, std::string, int>> cases = {
        {"iPad8,1", nullptr, "iPad8,1", 5},
        {"x86_64", "iPad8,1", "iPad8,1", 5},
        {"i386", "iPhone9,1", "iPhone9,1", 4},
        {"x86_64", nullptr, "x86_64", 0},
        {"arm64", "iPad8,1", "arm64", 0},  // only a simulator takes the variable
        {"iphone1,1", nullptr, "iphone1,1", 0},
    };
    for (const auto& [machine, simulated, model, type] : cases) {
        values.machineName = machine;
        device_.apply(values);
        if (simulated != nullptr) {
            setenv("SIMULATOR_MODEL_IDENTIFIER", simulated, 1);
        } else {
            unsetenv("SIMULATOR_MODEL_IDENTIFIER");
        }
        EXPECT_EQ(Device::modelIdentifier(), model) << machine;
        EXPECT_EQ(Device::deviceType(), type) << machine;
    }
}

TEST_F(DeviceSignalsTests, SessionValuesOnAFreshInstallAreNotStored) {
    const double now = std::chrono::duration<double>(clock_.clock()->wallNow().time_since_epoch()).count();
    EXPECT_EQ(Identifiers::lastActivityTs(), now);
    const std::string session = Identifiers::sessionIdentifier();
    EXPECT_TRUE(platform::UUID::fromString(session).has_value());
    EXPECT_EQ(KeyValueStore::get("lastActivityTs"), std::nullopt);
    EXPECT_EQ(KeyValueStore::get("sessionIdentifier"), std::nullopt);

    // First use is kept for the process: a later clock or store change does not alter it.
    clock_.advanceSeconds(10);
    KeyValueStore::set(PropertyValue("other"), "sessionIdentifier");
    EXPECT_EQ(Identifiers::lastActivityTs(), now);
    EXPECT_EQ(Identifiers::sessionIdentifier(), session);
}

TEST_F(DeviceSignalsTests, SessionValuesSurviveARelaunch) {
    Identifiers::setSessionIdentifier("S-1");
    EXPECT_EQ(Identifiers::markActivity(), 1'800'000'000.0);
    defaults_.relaunch();
    Identifiers::resetForTesting();
    EXPECT_EQ(Identifiers::sessionIdentifier(), "S-1");
    EXPECT_EQ(Identifiers::lastActivityTs(), 1'800'000'000.0);

    // A stored value of the wrong kind, an empty id or a time that is not finite reads as none.
    const std::vector<std::pair<PropertyValue, PropertyValue>> stored = {
        {PropertyValue(5), PropertyValue("x")},
        {PropertyValue(""), PropertyValue(std::numeric_limits<double>::quiet_NaN())},
        {PropertyValue(""), PropertyValue(std::numeric_limits<double>::infinity())},
    };
    for (const auto& [session, lastActivity] : stored) {
        KeyValueStore::set(session, "sessionIdentifier");
        KeyValueStore::set(lastActivity, "lastActivityTs");
        Identifiers::resetForTesting();
        EXPECT_TRUE(platform::UUID::fromString(Identifiers::sessionIdentifier()).has_value());
        EXPECT_EQ(Identifiers::lastActivityTs(), 1'800'000'000.0);
    }
}

TEST_F(DeviceSignalsTests, InstallTimestampIsTheDocumentsFolderCreationTime) {
    auto& files = platform::FileManager::defaultManager();
    files.setDocumentDirectory(defaults_.directory());
    files.setCreationDateProvider([&](const std::filesystem::path& path) -> std::optional<platform::Clock::WallTimePoint> {
        EXPECT_EQ(path, defaults_.directory());
        // 2021-01-01T00:00:00.5Z
        return platform::Clock::WallTimePoint(std::chrono::milliseconds(1609459200500));
    });
    EXPECT_EQ(Device::appInstallTimestamp(), 1609459200500);
}

}  // namespace
}  // namespace solen
