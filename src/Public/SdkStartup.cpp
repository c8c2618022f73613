#include "Public/SdkStartup.h"

#include "Ad/Network/Signals/GeoLocation.h"
#include "Commons/Analytics/Analytics.h"
#include "Commons/Configs/ConfigDefaults.h"
#include "Commons/Storage/KeyValueStore.h"
#include "Commons/Utilities/Logger.h"
#include "Commons/Utilities/PublisherProvidedInfo.h"
#include "Commons/Utilities/Utilities.h"
#include "Platform/Device/OperatingSystem.h"
#include "Platform/Dispatch/BlockExecution.h"
#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/UI/Application.h"

#include <atomic>
#include <exception>
#include <vector>

namespace solen {
namespace {

// The completion belongs to the application: whatever it throws stays out of the SDK's road.
void deliver(const SdkStartup::Completion& completion, std::optional<SolenSdkError> error) {
    if (!completion) {
        return;
    }
    platform::BlockExecution::catching([&] { completion(std::move(error)); }, "the initialisation completion");
}

// Hands the completion on to the application at most once, whatever path reports.
SdkStartup::Completion once(SdkStartup::Completion completion) {
    auto called = std::make_shared<std::atomic<bool>>(false);
    return [called, completion = std::move(completion)](std::optional<SolenSdkError> error) {
        if (!called->exchange(true)) {
            deliver(completion, std::move(error));
        }
    };
}

// A start-up step that threw (out of memory, no thread for a queue): the application still
// learns that the SDK did not start.
SolenSdkError internalFailure(const std::exception& exception) {
    Logger::error(std::string("Start-up failed: ") + exception.what());
    return SolenSdkError::initializationError(SolenInitializationError::configFetchFailed,
                                              std::string("SDK start-up failed: ") + exception.what());
}

}  // namespace

AnyDictionary SdkStartup::jsonObject(const SolenSdkConfiguration::Consent& dictionary) {
    AnyDictionary object = AnyDictionary::object();
    for (const auto& [key, value] : dictionary) {
        object[key] = value;
    }
    return object;
}

std::shared_ptr<SdkStartup> SdkStartup::shared() {
    static const auto* instance = new std::shared_ptr<SdkStartup>([] {
        auto startup = create([] { return ConfigManager::shared(); });
        // The instance lives as long as the process, so the check may hold it.
        Analytics::setInitializationCheck([startup] { return startup->isInitialized(); });
        return startup;
    }());
    return *instance;
}

std::shared_ptr<SdkStartup> SdkStartup::create(ConfigManagerSource source) {
    return std::shared_ptr<SdkStartup>(new SdkStartup(std::move(source)));
}

SdkStartup::SdkStartup(ConfigManagerSource source) : source_(std::move(source)) {}

std::shared_ptr<ConfigManager> SdkStartup::configManager() {
    std::lock_guard lock(managerMutex_);
    if (!manager_) {
        manager_ = source_ ? source_() : ConfigManager::shared();
    }
    return manager_;
}

bool SdkStartup::isSupportedOSVersion() {
    // Part by part, numerically: "10.0" and "10" are as new as "10.0.0".
    return platform::OperatingSystem::isAtLeast(10, 0, 0);
}

bool SdkStartup::updateStoredSDKVersion() {
    const std::string current(ConfigDefaults::serviceVersion);
    const auto stored = KeyValueStore::get(storedVersionKey);
    const std::string* text = stored ? stored->text() : nullptr;
    if (text != nullptr && *text == current) {
        return false;
    }
    const bool clear = text != nullptr;
    if (clear) {
        // Only the SDK's own entries: the host's keys that merely begin with the same letters stay.
        KeyValueStore::removeAll({KeyValueStore::storeKey("")});
    }
    KeyValueStore::set(platform::PropertyValue(current), storedVersionKey);
    return clear;
}

void SdkStartup::checkForNewerSDKVersion(const ConfigManager& manager) const {
    const std::string latest = manager.rootOrDefault().sdk.latest;
    const std::string current(ConfigDefaults::sdkVersion);
    if (latest != current) {
        Logger::log("A newer version " + latest + " of the Solen SDK is available! You are currently on an older version " +
                        current + ".",
                    2);
    }
}

void SdkStartup::initialize(const SolenSdkConfiguration& configuration, Completion completion) {
    PublisherProvidedInfo::setConsent(jsonObject(configuration.consent()));
    PublisherProvidedInfo::setCurrentBuildType(rawValue(configuration.buildType()));

    if (isInitialized()) {
        Logger::log("SDK already initialized with appId: " + configuration.appId(), 2);
        deliver(completion, std::nullopt);
        return;
    }
    if (!isSupportedOSVersion()) {
        deliver(completion, SolenSdkError::initializationError(SolenInitializationError::unsupportedOSVersion));
        return;
    }
    if (configuration.appId().empty()) {
        deliver(completion, SolenSdkError::initializationError(SolenInitializationError::invalidAppId));
        return;
    }
    Utilities::setAppId(configuration.appId());

    completion = once(std::move(completion));
    try {
        updateStoredSDKVersion();
        // The configuration manager is first made here, on the caller's thread.
        checkForNewerSDKVersion(*configManager());

        auto self = shared_from_this();
        platform::DispatchQueue::global()->async([self, appId = configuration.appId(), completion]() mutable {
            try {
                self->runInitialization(std::move(appId), completion);
            } catch (const std::exception& exception) {
                completion(internalFailure(exception));
            }
        });
    } catch (const std::exception& exception) {
        completion(internalFailure(exception));
    }
}

void SdkStartup::runInitialization(std::string appId, Completion completion) {
    const auto manager = configManager();
    std::vector<ConfigType> types = manager->expiredConfigTypes();
    types.push_back(ConfigType::primeMediation);

    if (ConfigManager::storedValue(ConfigManager::StoredValueKey::lastUpdatedTs, ConfigType::primeMediation) > 0) {
        // A mediation document was received before: start on it and refresh in the background.
        finishInitialization(appId, std::nullopt, completion);
        manager->fetch(std::move(types));
        return;
    }
    auto self = shared_from_this();
    manager->fetch(std::move(types),
                   ConfigManager::fetchCompletionAdapter(
                       [self, appId = std::move(appId), completion = std::move(completion)](std::optional<SolenSdkError> error) {
                           self->finishInitialization(appId, std::move(error), completion);
                       }));
}

void SdkStartup::finishInitialization(const std::string& appId, std::optional<SolenSdkError> error,
                                      const Completion& completion) {
    if (error) {
        Logger::debug("SDK Init failed - Mandatory config fetch failed with reason '" + error->localizedDescription() + "'");
        deliver(completion, std::move(error));
        return;
    }
    Logger::log("SDK initialized with appId: " + appId, 2);
    initialized_.store(true);
    deliver(completion, std::nullopt);
    updateComponents();
    registerForegroundObserver();
}

void SdkStartup::updateComponents() {
    Utilities::updateWebViewUserAgent();
    const auto manager = configManager();
    if (auto expired = manager->expiredConfigTypes(); !expired.empty()) {
        manager->fetch(std::move(expired));
    }
    GeoLocation::shared()->updateLocation();
    Analytics::fireAppLaunchEvent();
    Analytics::fireAppOpenEvent();
}

void SdkStartup::registerForegroundObserver() {
    // Once per instance, however many initialisations succeed.
    if (foregroundRegistered_.exchange(true)) {
        return;
    }
    const std::weak_ptr<SdkStartup> weakSelf = weak_from_this();
    platform::NotificationCenter::defaultCenter().addObserver(
        shared_from_this(), platform::Application::willEnterForegroundNotification,
        [weakSelf](const platform::Notification&) {
            if (const auto self = weakSelf.lock()) {
                self->updateComponents();
            }
        });
}

}  // namespace solen
