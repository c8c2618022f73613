#pragma once

#include "Commons/Configs/ConfigManager.h"
#include "Commons/Utilities/AnyDictionary.h"

#include <solen/SolenSdkConfiguration.h>
#include <solen/SolenSdkError.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace solen {

// The SDK's start-up road behind `Solen::initialize`: consent and build region, the checks, the
// stored-version bookkeeping, the mandatory configuration fetch, the follow-up steps and the
// foreground refresh. The process-wide instance serves the public entry class; tests and
// benchmarks make their own over a configuration manager of their choosing. Thread-safe.
class SdkStartup : public std::enable_shared_from_this<SdkStartup> {
public:
    using Completion = std::function<void(std::optional<SolenSdkError> error)>;
    using ConfigManagerSource = std::function<std::shared_ptr<ConfigManager>()>;

    // The value of "sdkversion" this SDK keeps in the key-value store.
    static constexpr const char* storedVersionKey = "sdkversion";
    static constexpr const char* minimumSystemVersion = "10.0.0";

    // The instance of the public entry class, over the shared configuration manager. Analytics
    // reads its initialised flag.
    static std::shared_ptr<SdkStartup> shared();
    // An instance whose configuration manager is taken from `source` when the first
    // initialisation needs it.
    static std::shared_ptr<SdkStartup> create(ConfigManagerSource source);

    // Steps up to the version bookkeeping run on the caller's thread; the rest on the global
    // queue. The completion is called exactly once: on the caller's thread for "already
    // initialised", 1003 and 1004, otherwise on a background thread.
    void initialize(const SolenSdkConfiguration& configuration, Completion completion);
    // The foreground refresh: web user agent, expired documents, location, install and app-open
    // events. Runs on the calling thread; does not check the initialised flag.
    void updateComponents();

    bool isInitialized() const { return initialized_.load(); }
    // Whether the will-enter-foreground observer has been registered.
    bool observesForeground() const { return foregroundRegistered_.load(); }

    // The start-up's version bookkeeping, on its own: "sdkversion" missing or not text is stored;
    // another text clears the SDK's own keys first. Returns whether keys were cleared.
    static bool updateStoredSDKVersion();
    // Whether the device's system version is at least the minimum.
    static bool isSupportedOSVersion();
    // A dictionary of the public interface (consent, extras) as a JSON object.
    static AnyDictionary jsonObject(const SolenSdkConfiguration::Consent& dictionary);

private:
    explicit SdkStartup(ConfigManagerSource source);

    std::shared_ptr<ConfigManager> configManager();
    void checkForNewerSDKVersion(const ConfigManager& manager) const;
    void runInitialization(std::string appId, Completion completion);
    void finishInitialization(const std::string& appId, std::optional<SolenSdkError> error,
                              const Completion& completion);
    void registerForegroundObserver();

    ConfigManagerSource source_;
    std::mutex managerMutex_;
    std::shared_ptr<ConfigManager> manager_;
    std::atomic<bool> initialized_{false};
    std::atomic<bool> foregroundRegistered_{false};
};

}  // namespace solen
