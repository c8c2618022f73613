#pragma once

#include "Commons/Configs/ConfigDocument.h"
#include "Commons/Configs/ConfigType.h"
#include "Commons/Configs/Network/ConfigNetworkInterface.h"
#include "Commons/Configs/Network/ConfigResponse.h"
#include "Commons/Configs/SettingsManager.h"
#include "Commons/Network/NetworkError.h"

#include <solen/SolenSdkError.h>

#include <functional>
#include <memory>
#include <optional>
#include <shared_mutex>
#include <string_view>
#include <vector>

namespace solen {

// The process-wide owner of the remote configuration. It keeps one cached copy of each document,
// persists every received document as JSON text in the key-value store together with three
// bookkeeping maps (lifetime, last local update, the service's stamp), decides which documents
// are expired, asks the config service for documents and applies the answer. Readers get copies;
// every operation is safe from any thread.
class ConfigManager : public std::enable_shared_from_this<ConfigManager> {
public:
    using ConfigType = solen::ConfigType;

    enum class ConfigError { invalidData };

    // The bookkeeping maps, each stored under its own key ("configExpiry", "configLastUpdated",
    // "lastUpdatedTs") as a map from the type's raw value to a number.
    enum class StoredValueKey { configExpiry, configLastUpdated, lastUpdatedTs };

    // Receives the handled types, or no list and the error of a failed exchange.
    using FetchCompletion =
        std::function<void(std::optional<std::vector<ConfigType>> handled, std::optional<NetworkError> error)>;
    // The start-up's own completion: no error, or why the mandatory fetch failed.
    using StartupCompletion = std::function<void(std::optional<SolenSdkError> error)>;

    // The single instance, created (and its caches loaded) on first use.
    static std::shared_ptr<ConfigManager> shared();
    // A separate manager over the same store (tests simulate a relaunch with a fresh one).
    // `session` replaces the process-wide HTTP session for its exchanges.
    static std::shared_ptr<ConfigManager> create(std::shared_ptr<SettingsManager> settings = SettingsManager::shared(),
                                                 std::shared_ptr<platform::HttpSession> session = nullptr);

    virtual ~ConfigManager() = default;
    ConfigManager(const ConfigManager&) = delete;
    ConfigManager& operator=(const ConfigManager&) = delete;

    // Fills the caches from the persisted documents, else the built-in defaults (there is none for
    // the mediation document), and hands a persisted mediation document to the settings manager.
    virtual void loadConfigs();

    // The cached document of a type. Root, signals and ad-format fall back to their built-in
    // default; mediation and analytics are absent when nothing is cached.
    std::optional<ConfigDocument> getConfig(ConfigType type) const;

    std::optional<RootConfig> root() const;
    std::optional<SignalsConfig> signals() const;
    std::optional<PrimeAdsConfig> client() const;
    std::optional<MediationConfig> mediation() const;
    std::optional<AnalyticsConfig> analytics() const;

    // The cached document, else the built-in default for the current build region.
    RootConfig rootOrDefault() const;
    SignalsConfig signalsOrDefault() const;
    PrimeAdsConfig clientOrDefault() const;
    AnalyticsConfig analyticsOrDefault() const;

    // Sends one config request for these types with the stamps held for them. The completion, when
    // given, runs exactly once on the transport's completion thread, after the caches were reloaded.
    void fetch(std::vector<ConfigType> types, FetchCompletion completion = nullptr);
    // Applies an answer entry by entry, reloads the caches, then calls the completion with the
    // types whose entry was applied.
    void handle(const ConfigResponse& response, const std::function<void(std::vector<ConfigType>)>& completion);
    // The types whose cached copy has outlived its lifetime, in type order; never the mediation
    // document, which does not expire by time.
    std::vector<ConfigType> expiredConfigTypes() const;

    // The number stored for a type in a bookkeeping map; 0 when missing or not a finite number.
    static double storedValue(StoredValueKey key, ConfigType type);
    static void setStoredValue(double value, StoredValueKey key, ConfigType type);

    // Persists a document as JSON text and stamps its local update time. Fails (logged, nothing
    // changes) when there is no document or it cannot be encoded. Returns whether it was stored.
    bool store(const std::optional<ConfigDocument>& config, ConfigType type);
    // The persisted document of a type. One that no longer decodes is removed, and its bookkeeping
    // is reset so that the next fetch asks for a full copy.
    std::optional<ConfigDocument> read(ConfigType type);

    // Requests a fresh mediation document in the background.
    void refreshMediationConfig();

    // Turns the outcome of the start-up's mandatory fetch into the start-up's result: success when
    // the mediation document was received, else error 1002 without a network, else 1001.
    static FetchCompletion fetchCompletionAdapter(StartupCompletion completion);
    static std::optional<SolenSdkError> startupError(const std::optional<std::vector<ConfigType>>& handled,
                                                     const std::optional<NetworkError>& error);

    // The service stamp a request reports for a type: the stored stamp as a whole number, clamped
    // to the signed 64-bit range.
    static std::int64_t requestStamp(ConfigType type);

protected:
    explicit ConfigManager(std::shared_ptr<SettingsManager> settings);

private:
    template <class T>
    std::optional<T> cached(const std::optional<T>& field) const;
    void setCache(const ConfigDocument& document);
    bool applyEntry(const ConfigResponse::Config& entry);

    std::shared_ptr<SettingsManager> settings_;
    std::shared_ptr<ConfigNetworkInterface> configNetworkInterface_;

    mutable std::shared_mutex cacheMutex_;
    std::optional<RootConfig> root_;
    std::optional<SignalsConfig> signals_;
    std::optional<PrimeAdsConfig> client_;
    std::optional<MediationConfig> mediation_;
    std::optional<AnalyticsConfig> analytics_;
};

}  // namespace solen
