#include "Platform/Device/AdvertisingIdentifierManager.h"
#include "Platform/Device/CurrentDevice.h"
#include "Platform/Device/NetworkReachability.h"

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

// The default reading lists the interfaces again only after the kernel announced a change; on a
// machine whose interfaces stay as they are, every read still tells what a fresh listing tells.
TEST(DeviceStandInsTests, ReachabilityReadingsMatchAFreshListing) {
    NetworkReachability::setProvider({});
    for (int read = 0; read < 3; ++read) {
        EXPECT_EQ(NetworkReachability::internetFlags(), NetworkReachability::systemFlags()) << "read " << read;
    }
    NetworkReachability::setProvider([] { return std::optional<NetworkReachability::Flags>(); });
    EXPECT_EQ(NetworkReachability::internetFlags(), std::nullopt);
    NetworkReachability::setProvider({});
    EXPECT_EQ(NetworkReachability::internetFlags(), NetworkReachability::systemFlags());
}

}  // namespace
}  // namespace solen::platform
