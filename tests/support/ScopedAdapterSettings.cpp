#include "support/ScopedAdapterSettings.h"

namespace solen::test {

ScopedAdapterSettings::ScopedAdapterSettings(std::vector<AdapterConfig> networks, std::vector<AdUnitsConfig> adUnits)
    : previous_(SettingsManager::shared()->tables()) {
    add(std::move(networks));
    if (!adUnits.empty()) {
        SettingsManager::shared()->setAdUnits(adUnits);
    }
}

ScopedAdapterSettings::~ScopedAdapterSettings() { SettingsManager::shared()->restoreTables(std::move(previous_)); }

AdapterConfig ScopedAdapterSettings::network(std::string networkId, std::string adapterName, double timeout,
                                             bool headerBidder, std::optional<Json> adapterMeta) {
    AdapterConfig config;
    config.networkId = std::move(networkId);
    config.adapterName = std::move(adapterName);
    config.timeout = timeout;
    config.headerBidder = headerBidder;
    config.adapterMeta = std::move(adapterMeta);
    return config;
}

void ScopedAdapterSettings::add(std::vector<AdapterConfig> networks) {
    SettingsManager::shared()->fillAdapterSettings(networks);
}

}  // namespace solen::test
