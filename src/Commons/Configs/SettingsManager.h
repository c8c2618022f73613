#pragma once

#include "Commons/Configs/AdUnitsConfig.h"
#include "Commons/Configs/AdapterConfig.h"

#include <solen/adapters/AdapterSdkConfiguration.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <shared_mutex>
#include <string>
#include <vector>

namespace solen {

// A registered network's settings as one immutable snapshot, shared by every reader: a change of
// the network's settings replaces the snapshot as a whole, so a holder never sees it change and
// nothing derived from it goes stale.
struct AdapterSettings {
    AdapterConfig config;
    AdapterSdkConfiguration sdkConfiguration;  // the network's start-up configuration, made once
};

// Lookup tables over the mediation document: ad units by id and network adapters by network id.
// Entries are added or replaced, never removed. Thread-safe; readers get copies.
class SettingsManager {
public:
    using AdapterStartHook = std::function<void()>;

    SettingsManager() = default;
    virtual ~SettingsManager() = default;
    SettingsManager(const SettingsManager&) = delete;
    SettingsManager& operator=(const SettingsManager&) = delete;

    static std::shared_ptr<SettingsManager> shared();

    std::map<std::string, AdUnitsConfig> adUnitsSettingsDict() const;
    std::map<std::string, AdapterConfig> sdkAdapterSettingsDict() const;
    std::optional<AdUnitsConfig> adUnitSettings(const std::string& adUnitId) const;
    std::optional<AdapterConfig> adapterSettings(const std::string& networkId) const;
    // The same without a copy: the network's current snapshot, null when it is not registered.
    std::shared_ptr<const AdapterSettings> adapterSettingsSnapshot(const std::string& networkId) const;

    // Registers the adapters by network id (a later duplicate wins) and then starts the configured
    // network adapters in the background. An absent or empty list is only logged.
    virtual void setAdapters(const std::optional<std::vector<AdapterConfig>>& adapters);
    virtual void fillAdapterSettings(const std::vector<AdapterConfig>& adapters);
    // Registers the ad units by id (a later duplicate wins). An absent list is logged, an empty
    // one ignored.
    virtual void setAdUnits(const std::optional<std::vector<AdUnitsConfig>>& adUnits);

    // Both tables as they stand, and a way to put such a copy back: tests that register networks
    // and ad units of their own restore the shared manager afterwards.
    struct Tables {
        std::map<std::string, AdUnitsConfig> adUnits;
        std::map<std::string, std::shared_ptr<const AdapterSettings>> adapters;
    };
    Tables tables() const;
    void restoreTables(Tables tables);

    // What starts the configured network adapters: by default `AdapterUtils::initializeAdapters`
    // (the adapter layer); tests put another in its place. An empty hook restores the default.
    static void setAdapterStartHook(AdapterStartHook hook);

private:
    mutable std::shared_mutex mutex_;
    std::map<std::string, AdUnitsConfig> adUnits_;
    std::map<std::string, std::shared_ptr<const AdapterSettings>> adapters_;
};

}  // namespace solen
