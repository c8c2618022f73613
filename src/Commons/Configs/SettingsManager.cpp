#include "Commons/Configs/SettingsManager.h"

#include "Ad/Adapter/AdapterRecords.h"
#include "Ad/Adapter/AdapterUtils.h"
#include "Commons/Utilities/Logger.h"
#include "Platform/Dispatch/DispatchQueue.h"

#include <mutex>

namespace solen {
namespace {

std::mutex& hookMutex() {
    static std::mutex mutex;
    return mutex;
}

SettingsManager::AdapterStartHook& hookStorage() {
    static auto& hook = *new SettingsManager::AdapterStartHook;
    return hook;
}

SettingsManager::AdapterStartHook currentHook() {
    std::lock_guard<std::mutex> lock(hookMutex());
    if (!hookStorage()) {
        return [] { AdapterUtils::initializeAdapters(); };
    }
    return hookStorage();
}

}  // namespace

std::shared_ptr<SettingsManager> SettingsManager::shared() {
    static const auto* instance = new std::shared_ptr<SettingsManager>(std::make_shared<SettingsManager>());
    return *instance;
}

void SettingsManager::setAdapterStartHook(AdapterStartHook hook) {
    std::lock_guard<std::mutex> lock(hookMutex());
    hookStorage() = std::move(hook);
}

std::map<std::string, AdUnitsConfig> SettingsManager::adUnitsSettingsDict() const {
    std::shared_lock lock(mutex_);
    return adUnits_;
}

std::map<std::string, AdapterConfig> SettingsManager::sdkAdapterSettingsDict() const {
    std::shared_lock lock(mutex_);
    std::map<std::string, AdapterConfig> dict;
    for (const auto& [networkId, settings] : adapters_) {
        dict.emplace_hint(dict.end(), networkId, settings->config);
    }
    return dict;
}

std::optional<AdUnitsConfig> SettingsManager::adUnitSettings(const std::string& adUnitId) const {
    std::shared_lock lock(mutex_);
    const auto it = adUnits_.find(adUnitId);
    return it == adUnits_.end() ? std::nullopt : std::optional<AdUnitsConfig>(it->second);
}

std::optional<AdapterConfig> SettingsManager::adapterSettings(const std::string& networkId) const {
    const auto settings = adapterSettingsSnapshot(networkId);
    return settings ? std::optional<AdapterConfig>(settings->config) : std::nullopt;
}

std::shared_ptr<const AdapterSettings> SettingsManager::adapterSettingsSnapshot(const std::string& networkId) const {
    std::shared_lock lock(mutex_);
    const auto it = adapters_.find(networkId);
    return it == adapters_.end() ? nullptr : it->second;
}

SettingsManager::Tables SettingsManager::tables() const {
    std::shared_lock lock(mutex_);
    return Tables{adUnits_, adapters_};
}

void SettingsManager::restoreTables(Tables tables) {
    std::unique_lock lock(mutex_);
    adUnits_ = std::move(tables.adUnits);
    adapters_ = std::move(tables.adapters);
}

void SettingsManager::setAdapters(const std::optional<std::vector<AdapterConfig>>& adapters) {
    if (!adapters || adapters->empty()) {
        Logger::log("Adapters are not available in Mediation config", 2);
        return;
    }
    fillAdapterSettings(*adapters);
    if (AdapterStartHook hook = currentHook()) {
        platform::DispatchQueue::global()->async(std::move(hook));
    }
}

void SettingsManager::fillAdapterSettings(const std::vector<AdapterConfig>& adapters) {
    // The snapshots are made before the lock is taken.
    std::vector<std::shared_ptr<const AdapterSettings>> snapshots;
    snapshots.reserve(adapters.size());
    for (const AdapterConfig& adapter : adapters) {
        snapshots.push_back(std::make_shared<const AdapterSettings>(AdapterSettings{adapter, makeAdapterSdkConfiguration(adapter)}));
    }
    std::unique_lock lock(mutex_);
    for (auto& snapshot : snapshots) {
        adapters_.insert_or_assign(snapshot->config.networkId, std::move(snapshot));
    }
}

void SettingsManager::setAdUnits(const std::optional<std::vector<AdUnitsConfig>>& adUnits) {
    if (!adUnits) {
        Logger::log("Placement config is not available in Mediation config", 2);
        return;
    }
    std::unique_lock lock(mutex_);
    for (const AdUnitsConfig& adUnit : *adUnits) {
        adUnits_.insert_or_assign(adUnit.adUnitId, adUnit);
    }
}

}  // namespace solen
