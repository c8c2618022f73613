#include "Ad/Adapter/AdapterRecords.h"

namespace solen {

namespace {

std::optional<Json> objectOnly(std::optional<Json> value) {
    return value && value->is_object() ? std::move(value) : std::nullopt;
}

}  // namespace

AdapterSdkConfiguration makeAdapterSdkConfiguration(const AdapterConfig& network) {
    return AdapterSdkConfiguration(objectOnly(network.adapterMeta));
}

AdapterAdConfiguration makeAdapterAdConfiguration(const Ads& lineItem, const AdapterConfig* network,
                                                  std::optional<platform::Size> adSize) {
    std::optional<AdapterSdkConfiguration> sdkConfiguration;
    if (network) {
        sdkConfiguration = makeAdapterSdkConfiguration(*network);
    }
    return AdapterAdConfiguration(objectOnly(lineItem.lineItemMeta), std::move(sdkConfiguration), adSize);
}

}  // namespace solen
