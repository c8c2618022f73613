#pragma once

#include "Commons/Configs/AdUnitsConfig.h"
#include "Commons/Configs/AdapterConfig.h"
#include "Commons/Configs/SettingsManager.h"

#include <optional>
#include <string>
#include <vector>

namespace solen::test {

// Registers networks and ad units in the shared settings manager while alive, without starting
// any network, and puts the manager's tables back as they were when destroyed.
class ScopedAdapterSettings {
public:
    explicit ScopedAdapterSettings(std::vector<AdapterConfig> networks = {}, std::vector<AdUnitsConfig> adUnits = {});
    ~ScopedAdapterSettings();
    ScopedAdapterSettings(const ScopedAdapterSettings&) = delete;
    ScopedAdapterSettings& operator=(const ScopedAdapterSettings&) = delete;

    // A network entry: id, adapter name, load time-out in milliseconds, header bidding, settings.
    static AdapterConfig network(std::string networkId, std::string adapterName, double timeout = 5000,
                                 bool headerBidder = false, std::optional<Json> adapterMeta = std::nullopt);

    void add(std::vector<AdapterConfig> networks);

private:
    SettingsManager::Tables previous_;
};

}  // namespace solen::test
