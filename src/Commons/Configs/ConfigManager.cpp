#include "Commons/Configs/ConfigManager.h"

#include "Commons/Configs/ConfigDefaults.h"
#include "Commons/Configs/Network/ConfigRequest.h"
#include "Commons/Json/JsonWriter.h"
#include "Commons/Storage/KeyValueStore.h"
#include "Commons/Utilities/Logger.h"
#include "Commons/Utilities/PublisherProvidedInfo.h"
#include "Commons/Utilities/Utilities.h"
#include "Platform/Dispatch/Clock.h"
#include "Platform/Dispatch/DispatchQueue.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <mutex>

namespace solen {
namespace {

using platform::PropertyValue;

std::string_view storeKey(ConfigManager::StoredValueKey key) {
    switch (key) {
        case ConfigManager::StoredValueKey::configExpiry: return "configExpiry";
        case ConfigManager::StoredValueKey::configLastUpdated: return "configLastUpdated";
        case ConfigManager::StoredValueKey::lastUpdatedTs: return "lastUpdatedTs";
    }
    return "";
}

// Each bookkeeping update is a read, a change and a write of a whole map; responses are applied on
// the transport's thread while start-up and readers run elsewhere, so updates are serialised here.
std::mutex& bookkeepingMutex() {
    static std::mutex mutex;
    return mutex;
}

double nowSeconds() {
    const auto wall = platform::Clock::shared()->wallNow().time_since_epoch();
    return std::chrono::duration<double>(wall).count();
}

// The value, else a default that is only built when needed (building one may log).
template <class T, class MakeDefault>
T orElse(std::optional<T> value, MakeDefault&& makeDefault) {
    return value ? std::move(*value) : makeDefault();
}

// A finite number, or 0.
double finiteOrZero(double value) { return std::isfinite(value) ? value : 0; }

}  // namespace

std::shared_ptr<ConfigManager> ConfigManager::shared() {
    static const auto* instance = new std::shared_ptr<ConfigManager>(create());
    return *instance;
}

std::shared_ptr<ConfigManager> ConfigManager::create(std::shared_ptr<SettingsManager> settings,
                                                     std::shared_ptr<platform::HttpSession> session) {
    std::shared_ptr<ConfigManager> manager(new ConfigManager(std::move(settings)));
    std::weak_ptr<ConfigManager> weakManager = manager;
    manager->configNetworkInterface_ = std::make_shared<ConfigNetworkInterface>(
        [weakManager] {
            if (const auto self = weakManager.lock()) {
                return self->rootOrDefault();
            }
            return ConfigDefaults::root(PublisherProvidedInfo::currentBuildType());
        },
        std::move(session));
    manager->loadConfigs();
    return manager;
}

ConfigManager::ConfigManager(std::shared_ptr<SettingsManager> settings) : settings_(std::move(settings)) {}

// MARK: - Caches

template <class T>
std::optional<T> ConfigManager::cached(const std::optional<T>& field) const {
    std::shared_lock lock(cacheMutex_);
    return field;
}

std::optional<RootConfig> ConfigManager::root() const { return cached(root_); }
std::optional<SignalsConfig> ConfigManager::signals() const { return cached(signals_); }
std::optional<PrimeAdsConfig> ConfigManager::client() const { return cached(client_); }
std::optional<MediationConfig> ConfigManager::mediation() const { return cached(mediation_); }
std::optional<AnalyticsConfig> ConfigManager::analytics() const { return cached(analytics_); }

void ConfigManager::setCache(const ConfigDocument& document) {
    std::unique_lock lock(cacheMutex_);
    std::visit(
        [this](const auto& config) {
            using T = std::decay_t<decltype(config)>;
            if constexpr (std::is_same_v<T, RootConfig>) {
                root_ = config;
            } else if constexpr (std::is_same_v<T, SignalsConfig>) {
                signals_ = config;
            } else if constexpr (std::is_same_v<T, PrimeAdsConfig>) {
                client_ = config;
            } else if constexpr (std::is_same_v<T, MediationConfig>) {
                mediation_ = config;
            } else {
                analytics_ = config;
            }
        },
        document);
}

RootConfig ConfigManager::rootOrDefault() const {
    return orElse(root(), [] { return ConfigDefaults::root(PublisherProvidedInfo::currentBuildType()); });
}

SignalsConfig ConfigManager::signalsOrDefault() const { return orElse(signals(), ConfigDefaults::signals); }

PrimeAdsConfig ConfigManager::clientOrDefault() const {
    return orElse(client(), [] { return ConfigDefaults::primeAds(PublisherProvidedInfo::currentBuildType()); });
}

AnalyticsConfig ConfigManager::analyticsOrDefault() const { return orElse(analytics(), ConfigDefaults::analytics); }

std::optional<ConfigDocument> ConfigManager::getConfig(ConfigType type) const {
    switch (type) {
        case ConfigType::root: return rootOrDefault();
        case ConfigType::signals: return signalsOrDefault();
        case ConfigType::primeAds: return clientOrDefault();
        case ConfigType::primeMediation:
            if (auto config = mediation()) {
                return *config;
            }
            return std::nullopt;
        case ConfigType::analytics:
            if (auto config = analytics()) {
                return *config;
            }
            return std::nullopt;
    }
    return std::nullopt;
}

void ConfigManager::loadConfigs() {
    const std::int64_t buildType = PublisherProvidedInfo::currentBuildType();
    setCache(orElse(read(ConfigType::root), [buildType] { return ConfigDocument(ConfigDefaults::root(buildType)); }));
    setCache(orElse(read(ConfigType::signals), [] { return ConfigDocument(ConfigDefaults::signals()); }));
    setCache(orElse(read(ConfigType::primeAds), [buildType] { return ConfigDocument(ConfigDefaults::primeAds(buildType)); }));
    if (auto mediation = read(ConfigType::primeMediation)) {
        setCache(*mediation);
        const auto& config = std::get<MediationConfig>(*mediation);
        settings_->setAdapters(config.adapters);
        settings_->setAdUnits(config.adUnits);
    }
    setCache(orElse(read(ConfigType::analytics), [] { return ConfigDocument(ConfigDefaults::analytics()); }));
}

// MARK: - Persistence

double ConfigManager::storedValue(StoredValueKey key, ConfigType type) {
    const auto map = KeyValueStore::get(storeKey(key));
    if (!map) {
        return 0;
    }
    const PropertyValue* entry = map->find(rawValue(type));
    if (entry == nullptr) {
        return 0;
    }
    return finiteOrZero(entry->number().value_or(0));
}

void ConfigManager::setStoredValue(double value, StoredValueKey key, ConfigType type) {
    std::lock_guard<std::mutex> lock(bookkeepingMutex());
    PropertyValue::Dictionary map;
    if (const auto stored = KeyValueStore::get(storeKey(key))) {
        if (const auto* dictionary = stored->dictionary()) {
            map = *dictionary;
        }
    }
    map.insert_or_assign(std::string(rawValue(type)), PropertyValue(finiteOrZero(value)));
    KeyValueStore::setDictionary(map, storeKey(key));
}

bool ConfigManager::store(const std::optional<ConfigDocument>& config, ConfigType type) {
    // Invalid data (ConfigError::invalidData) is answered without throwing: a thrown enumeration
    // would make its type information a symbol the shared library exports.
    const auto invalidData = [] {
        Logger::debug("An invalid object was passed.");
        return false;
    };
    if (!config) {
        return invalidData();
    }
    try {
        const std::string text = encodeConfigDocument(*config).dump();
        if (text == "null") {
            return invalidData();
        }
        KeyValueStore::set(PropertyValue(text), rawValue(type));
        setStoredValue(nowSeconds(), StoredValueKey::configLastUpdated, type);
        return true;
    } catch (const JsonEncodingError&) {
        // A value JSON cannot carry, such as a non-finite number.
        return invalidData();
    } catch (const std::exception&) {
        Logger::debug("An error occured while enccoding the object.");
    }
    return false;
}

std::optional<ConfigDocument> ConfigManager::read(ConfigType type) {
    const auto stored = KeyValueStore::get(rawValue(type));
    if (!stored || !stored->isText()) {
        return std::nullopt;
    }
    try {
        return decodeConfigDocument(type, *stored->text());
    } catch (const JsonDecodingError&) {
        Logger::debug("An error ocured while decoding the objet from Persistent Storage.");
        KeyValueStore::set(std::nullopt, rawValue(type));
        // The copy is gone: mark it expired and ask the service for a full copy next time.
        setStoredValue(0, StoredValueKey::configLastUpdated, type);
        setStoredValue(0, StoredValueKey::configExpiry, type);
        setStoredValue(0, StoredValueKey::lastUpdatedTs, type);
        return std::nullopt;
    }
}

std::vector<ConfigType> ConfigManager::expiredConfigTypes() const {
    std::vector<ConfigType> expired;
    const double now = nowSeconds();
    for (const ConfigType type : allConfigTypes) {
        if (type == ConfigType::primeMediation) {
            continue;
        }
        const double lastUpdated = storedValue(StoredValueKey::configLastUpdated, type);
        const double lifetime = storedValue(StoredValueKey::configExpiry, type);
        if (now > lastUpdated + lifetime) {
            expired.push_back(type);
        }
    }
    return expired;
}

std::int64_t ConfigManager::requestStamp(ConfigType type) {
    const double stamp = std::trunc(storedValue(StoredValueKey::lastUpdatedTs, type));
    constexpr double lowest = static_cast<double>(std::numeric_limits<std::int64_t>::min());
    // 2^63 is the first double above the range.
    constexpr double beyond = 9223372036854775808.0;
    if (stamp < lowest) {
        return std::numeric_limits<std::int64_t>::min();
    }
    if (stamp >= beyond) {
        return std::numeric_limits<std::int64_t>::max();
    }
    return static_cast<std::int64_t>(stamp);
}

// MARK: - Exchange

void ConfigManager::fetch(std::vector<ConfigType> types, FetchCompletion completion) {
    ConfigRequest request;
    request.appId = Utilities::appId();
    request.version = std::string(ConfigDefaults::serviceVersion);
    request.configs.reserve(types.size());
    for (const ConfigType type : types) {
        request.configs.push_back({requestStamp(type), type});
    }

    std::weak_ptr<ConfigManager> weakSelf = weak_from_this();
    auto onOutcome = [weakSelf, completion = std::move(completion)](std::optional<ConfigResponse> response,
                                                                    std::optional<NetworkError> error) {
        const auto self = weakSelf.lock();
        if (response && self) {
            self->handle(*response, [&completion](std::vector<ConfigType> handled) {
                if (completion) {
                    completion(std::move(handled), std::nullopt);
                }
            });
        } else if (completion) {
            // Without a response there is always an error; a released manager applies nothing.
            completion(std::nullopt, error.value_or(NetworkError::requestFailed(
                                         ConfigNetworkInterface::invalidConfigCode,
                                         std::string(ConfigNetworkInterface::invalidConfigMessage))));
        }
    };
    configNetworkInterface_->fetch(request, std::move(onOutcome));
}

bool ConfigManager::applyEntry(const ConfigResponse::Config& entry) {
    const ConfigType type = entry.type;
    if (entry.status == ConfigResponse::ConfigStatus::noChange) {
        if (!KeyValueStore::get(rawValue(type))) {
            // Nothing persisted to confirm: ask for a full copy next time and leave it expired.
            setStoredValue(0, StoredValueKey::lastUpdatedTs, type);
            return false;
        }
        setStoredValue(nowSeconds(), StoredValueKey::configLastUpdated, type);
        return true;
    }
    if (!store(entry.content, type)) {
        return false;
    }
    double lifetime = 0;
    if (type != ConfigType::primeMediation) {
        std::visit(
            [&lifetime](const auto& config) {
                if constexpr (requires { config.expiry; }) {
                    lifetime = config.expiry / 1000;
                }
            },
            *entry.content);
    }
    setStoredValue(lifetime, StoredValueKey::configExpiry, type);
    setStoredValue(entry.lastUpdatedTs, StoredValueKey::lastUpdatedTs, type);
    return true;
}

void ConfigManager::handle(const ConfigResponse& response,
                           const std::function<void(std::vector<ConfigType>)>& completion) {
    std::vector<ConfigType> handled;
    for (const ConfigResponse::Config& entry : response.configs) {
        if (applyEntry(entry)) {
            handled.push_back(entry.type);
        }
    }
    loadConfigs();
    if (completion) {
        completion(std::move(handled));
    }
}

void ConfigManager::refreshMediationConfig() {
    std::weak_ptr<ConfigManager> weakSelf = weak_from_this();
    platform::DispatchQueue::global()->async([weakSelf] {
        if (const auto self = weakSelf.lock()) {
            self->fetch({ConfigType::primeMediation});
        }
    });
}

// MARK: - Start-up

std::optional<SolenSdkError> ConfigManager::startupError(const std::optional<std::vector<ConfigType>>& handled,
                                                         const std::optional<NetworkError>& error) {
    if (handled && std::find(handled->begin(), handled->end(), ConfigType::primeMediation) != handled->end()) {
        return std::nullopt;
    }
    if (error) {
        switch (error->kind()) {
            case NetworkError::Kind::clientError:
            case NetworkError::Kind::serverError:
                return SolenSdkError::initializationError(SolenInitializationError::configFetchFailed, error->message());
            case NetworkError::Kind::networkNotAvailable:
                return SolenSdkError::initializationError(SolenInitializationError::networkUnavailable);
            case NetworkError::Kind::requestFailed: break;
        }
    }
    return SolenSdkError::initializationError(SolenInitializationError::configFetchFailed);
}

ConfigManager::FetchCompletion ConfigManager::fetchCompletionAdapter(StartupCompletion completion) {
    return [completion = std::move(completion)](std::optional<std::vector<ConfigType>> handled,
                                                std::optional<NetworkError> error) {
        if (completion) {
            completion(startupError(handled, error));
        }
    };
}

}  // namespace solen
