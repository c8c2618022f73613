#include "Platform/Device/AdvertisingIdentifierManager.h"
#include "Platform/Device/CurrentDevice.h"

#include <gtest/gtest.h>

#include <sys/utsname.h>

namespace solen::platform {
namespace {

TEST(DeviceStandInsTests, LinuxDefaultsAreWhatTheMachineTells) {
    struct utsname names {};
    ASSERT_EQ(uname(&names), 0);
    EXPECT_EQ(CurrentDevice::machineName(), names.machine);
    EXPECT_EQ(CurrentDevice::model(), names.sysname);
    // Without tracking consent the advertising identifier is all zeros, as the platform sends it.
    EXPECT_EQ(AdvertisingIdentifierManager::advertisingIdentifier(), "00000000-0000-0000-0000-000000000000");
    CurrentDevice::setModelProvider([] { return std::string("iPad"); });
    EXPECT_EQ(CurrentDevice::model(), "iPad");
    CurrentDevice::setModelProvider({});
    EXPECT_EQ(CurrentDevice::model(), names.sysname);
}

}  // namespace
}  // namespace solen::platform
