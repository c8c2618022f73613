#include "Ad/Network/Signals/CarrierInfo.h"

#include "Commons/Configs/ConfigUtil.h"
#include "Platform/Device/CellularProvider.h"

namespace solen {

bool CarrierInfo::isCellInfoAllowed() { return ConfigUtil::signalsConfig().cell; }

std::optional<std::string> CarrierInfo::carrierName() {
    if (!isCellInfoAllowed()) {
        return std::nullopt;
    }
    const auto carrier = platform::CellularProvider::subscriberCellularProvider();
    return carrier ? carrier->carrierName : std::nullopt;
}

std::optional<std::string> CarrierInfo::mccMnc() {
    if (!isCellInfoAllowed()) {
        return std::nullopt;
    }
    const auto carrier = platform::CellularProvider::subscriberCellularProvider();
    if (!carrier || !carrier->mobileCountryCode || !carrier->mobileNetworkCode) {
        return std::nullopt;
    }
    return *carrier->mobileCountryCode + "-" + *carrier->mobileNetworkCode;
}

}  // namespace solen
