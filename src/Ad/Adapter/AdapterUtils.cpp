#include "Ad/Adapter/AdapterUtils.h"

#include "Ad/Adapter/AdapterFactory.h"
#include "Ad/Adapter/AdapterRecords.h"
#include "Commons/Configs/SettingsManager.h"
#include "Commons/Utilities/Base64.h"
#include "Commons/Utilities/Logger.h"
#include "Platform/Foundation/CharacterSet.h"

namespace solen {

void AdapterUtils::initializeAdapters() {
    for (const auto& [networkId, network] : SettingsManager::shared()->sdkAdapterSettingsDict()) {
        const auto adapter = AdapterFactory::sdkAdapter(network);
        if (!adapter || adapter->isStarted()) {
            continue;
        }
        adapter->initOnSDKInit(makeAdapterSdkConfiguration(network));
    }
}

std::optional<std::map<std::string, NetworkSDKData>> AdapterUtils::fetchTPSdksData(const std::string& adUnitId) {
    const auto settings = SettingsManager::shared();
    const auto adUnit = settings->adUnitSettings(adUnitId);
    if (!adUnit || !adUnit->hbNetworks || adUnit->hbNetworks->empty()) {
        Logger::debug("Cannot fetch the bidToker because adUnitsConfig is not present");
        return std::nullopt;
    }
    std::map<std::string, NetworkSDKData> data;
    for (const std::string& networkId : *adUnit->hbNetworks) {
        // The network's shared snapshot: neither its settings nor its start-up configuration are
        // copied for a bid request.
        const auto network = settings->adapterSettingsSnapshot(networkId);
        if (!network || !network->config.headerBidder) {
            continue;
        }
        const auto adapter = AdapterFactory::sdkAdapter(network->config);
        if (!adapter) {
            continue;
        }
        const AdapterSdkConfiguration& configuration = network->sdkConfiguration;
        if (!adapter->isStarted()) {
            adapter->initOnSDKInit(configuration);
            adapter->initOnAdLoad(configuration);
        }
        const auto token = adapter->getBidToken(configuration);
        if (!token || !platform::isValidUtf8(*token)) {
            continue;
        }
        data.insert_or_assign(networkId, NetworkSDKData{adapter->networkSDKVersion(), base64Encode(*token)});
    }
    if (data.empty()) {
        return std::nullopt;
    }
    return data;
}

}  // namespace solen
