// Time from `initialize` to its completion: with a cached configuration (a mediation document
// received by an earlier launch; the device is offline), and with a first fetch from the local
// ad service over loopback.
#include "Public/SdkStartup.h"

#include "Commons/Configs/ConfigDefaults.h"
#include "Commons/Storage/KeyValueStore.h"
#include "Platform/Device/OperatingSystem.h"
#include "Platform/Dispatch/MainLoop.h"

#include "support/DispatchWait.h"
#include "support/ScopedUserDefaults.h"
#include "support/ScriptedHttpSession.h"

#ifdef SOLEN_HAVE_ADSERVER
#include "adserver/AdService.h"
#endif

#include <benchmark/benchmark.h>

#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <mutex>

namespace {

using namespace solen;

// Starts one SDK instance and waits for its completion; true on success.
bool initializeOnce(const std::shared_ptr<SdkStartup>& startup) {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool succeeded = false;
    startup->initialize(SolenSdkConfiguration("bench-app", {}), [&](std::optional<SolenSdkError> error) {
        std::lock_guard lock(mutex);
        finished = true;
        succeeded = !error;
        done.notify_all();
    });
    std::unique_lock lock(mutex);
    done.wait_for(lock, std::chrono::seconds(10), [&] { return finished; });
    return finished && succeeded;
}

// Times `initialize` to its completion for a new SDK instance per iteration; `prepare` runs
// untimed before each one, and the background work each start-up leaves runs untimed after it.
void measureStartups(benchmark::State& state, const SdkStartup::ConfigManagerSource& source,
                     const std::function<void()>& prepare = nullptr) {
    for (auto _ : state) {
        if (prepare) {
            state.PauseTiming();
            prepare();
            state.ResumeTiming();
        }
        if (!initializeOnce(SdkStartup::create(source))) {
            state.SkipWithError("initialisation failed");
            break;
        }
        state.PauseTiming();
        test::drainGlobalQueue();
        platform::MainLoop::shared().runUntilIdle();
        state.ResumeTiming();
    }
}

struct DeviceSetup {
    DeviceSetup() { platform::OperatingSystem::setVersionProvider([] { return std::string("17.2"); }); }
    ~DeviceSetup() { platform::OperatingSystem::setVersionProvider(nullptr); }
};

void BM_InitializeWithCachedConfiguration(benchmark::State& state) {
    DeviceSetup device;
    test::ScopedUserDefaults defaults;
    const auto offline = test::ScriptedHttpSession::create();
    offline->setDefaultAnswer(test::ScriptedHttpSession::Answer::failure(-1009));
    KeyValueStore::set(platform::PropertyValue(std::string(ConfigDefaults::serviceVersion)), SdkStartup::storedVersionKey);
    ConfigManager::setStoredValue(1764979200000.0, ConfigManager::StoredValueKey::lastUpdatedTs,
                                  ConfigType::primeMediation);
    measureStartups(state, [offline] { return ConfigManager::create(SettingsManager::shared(), offline); });
}
BENCHMARK(BM_InitializeWithCachedConfiguration)->UseRealTime()->Unit(benchmark::kMicrosecond);

#ifdef SOLEN_HAVE_ADSERVER
void BM_InitializeWithFirstFetchFromTheLocalService(benchmark::State& state) {
    DeviceSetup device;
    adserver::AdService service;
    if (!service.start()) {
        state.SkipWithError("the local ad service did not start");
        return;
    }
    ::setenv("SOLEN_SERVICE_BASE_URL", service.baseUrl().c_str(), 1);
    test::ScopedUserDefaults defaults;
    // A fresh install each time: none of the SDK's keys.
    measureStartups(
        state, [] { return ConfigManager::create(SettingsManager::shared()); },
        [] { KeyValueStore::removeAll({KeyValueStore::storeKey("")}); });
    state.counters["requests"] = static_cast<double>(service.requestCount());
    service.stop();
    ::unsetenv("SOLEN_SERVICE_BASE_URL");
}
BENCHMARK(BM_InitializeWithFirstFetchFromTheLocalService)->UseRealTime()->Unit(benchmark::kMicrosecond);
#endif

}  // namespace

BENCHMARK_MAIN();
