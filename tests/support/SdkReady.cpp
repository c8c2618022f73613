#include "support/SdkReady.h"

#include "Platform/Device/OperatingSystem.h"
#include "Public/SdkStartup.h"
#include "support/DispatchWait.h"

#include <atomic>

namespace solen::test {

bool initializeSdkOnce() {
    if (SdkStartup::shared()->isInitialized()) return true;
    platform::OperatingSystem::setVersionProvider([] { return std::string("17.0"); });
    std::atomic<int> result{-1};
    SdkStartup::shared()->initialize(SolenSdkConfiguration("app-1", {}),
                                     [&result](std::optional<SolenSdkError> error) { result = error ? 1 : 0; });
    return waitUntil([&] { return result.load() >= 0; }) && result.load() == 0;
}

}  // namespace solen::test
