#pragma once

// Header only: for test programs that link the local ad service (SOLEN_HAVE_ADSERVER).
#include "Platform/Device/OperatingSystem.h"
#include "adserver/AdService.h"
#include "support/DispatchWait.h"

#include <solen/Solen.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>

namespace solen::test {

// The program's one local ad service and SDK: on the first call it starts a service with
// `scenario()` on a loopback port, points the SDK's endpoints at it and initialises the SDK as
// `appId` on a device reporting 17.0; later calls give the same service. The SDK makes its
// endpoints once per process, so one service serves the whole program. Main thread.
inline adserver::AdService& adServiceSdkOnce(const std::function<adserver::Scenario()>& scenario,
                                             const std::string& appId) {
    static adserver::AdService* instance = [&] {
        auto* service = new adserver::AdService(scenario());
        if (!service->start()) return service;
        ::setenv("SOLEN_SERVICE_BASE_URL", service->baseUrl().c_str(), 1);
        platform::OperatingSystem::setVersionProvider([] { return std::string("17.0"); });
        std::atomic<int> initialised{-1};
        Solen::initialize(SolenSdkConfiguration(appId, {}),
                          [&](std::optional<SolenSdkError> error) { initialised = error ? 1 : 0; });
        waitUntil([&] { return initialised.load() >= 0; }, std::chrono::seconds(10));
        return service;
    }();
    return *instance;
}

}  // namespace solen::test
