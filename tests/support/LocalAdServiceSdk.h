#pragma once

// For programs built with the local ad service (SOLEN_HAVE_ADSERVER): header-only, so that the
// support library itself needs no service.
#include "Platform/Device/OperatingSystem.h"
#include "adserver/AdService.h"
#include "support/DispatchWait.h"
#include "support/ProgramEnd.h"

#include <solen/Solen.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

namespace solen::test {

// Starts the local ad service on `scenario` and points the process's SDK at it, on a device
// reporting 17.0 (once per process: the SDK keeps its endpoints). Null when it did not start.
inline std::unique_ptr<adserver::AdService> startServiceForSdk(adserver::Scenario scenario) {
    auto service = std::make_unique<adserver::AdService>(std::move(scenario));
    if (!service->start()) return nullptr;
    ::setenv("SOLEN_SERVICE_BASE_URL", service->baseUrl().c_str(), 1);
    platform::OperatingSystem::setVersionProvider([] { return std::string("17.0"); });
    return service;
}

// Initialises the process's SDK as `appId` and waits for the outcome (main thread): 0 when it
// started, else the error's code (-1 when no outcome came in time).
inline std::int64_t initializeSdk(const std::string& appId, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    std::atomic<std::int64_t> outcome{-1};
    Solen::initialize(SolenSdkConfiguration(appId, {}),
                      [&](std::optional<SolenSdkError> error) { outcome = error ? error->code() : 0; });
    waitUntil([&] { return outcome.load() >= 0; }, timeout);
    return outcome.load();
}

// Starts the local ad service on `scenario` and initialises the process's SDK against it as
// `appId` (main thread; once per process). The running service, or null when it did not start or
// the SDK did not initialise.
inline std::unique_ptr<adserver::AdService> startServiceAndSdk(adserver::Scenario scenario, const std::string& appId) {
    auto service = startServiceForSdk(std::move(scenario));
    return service && initializeSdk(appId) == 0 ? std::move(service) : nullptr;
}

// The program's one local ad service and SDK: the first call starts them with `scenario()` (see
// above), later calls give the same service; the SDK makes its endpoints once per process. A
// program whose service or SDK does not start stops here with a message.
inline adserver::AdService& adServiceSdkOnce(const std::function<adserver::Scenario()>& scenario, const std::string& appId) {
    static adserver::AdService* instance = [&] {
        adserver::AdService* started = startServiceAndSdk(scenario(), appId).release();
        if (started) atProgramEnd([started] { started->stop(); });
        return started;
    }();
    if (!instance) {
        std::fprintf(stderr, "the local ad service or the SDK did not start\n");
        std::abort();
    }
    return *instance;
}

}  // namespace solen::test
