#include "Commons/Utilities/Reachability.h"

#include "Platform/Device/OperatingSystem.h"
#include "Platform/Device/TelephonyNetworkInfo.h"

#include <string_view>

namespace solen {

using platform::NetworkReachability;
using platform::TelephonyNetworkInfo;

std::uint8_t Reachability::currentConnectionType(NetworkReachability::Flags flags) {
    const auto has = [flags](NetworkReachability::Flags bit) { return (flags & bit) != 0; };
    if (!has(NetworkReachability::reachable)) return 0;
    if (!has(NetworkReachability::connectionRequired)) return 1;
    if (has(NetworkReachability::connectionOnTraffic) || has(NetworkReachability::connectionOnDemand)) {
        return has(NetworkReachability::interventionRequired) ? 0 : 1;
    }
    if (has(NetworkReachability::isWWAN)) return 0;
    return radioConnectionType();
}

std::uint8_t Reachability::radioConnectionType() {
    const auto technology = TelephonyNetworkInfo().currentRadioAccessTechnology();
    if (!technology || technology->empty()) return 0;
    const std::string_view text = *technology;
    if (text == TelephonyNetworkInfo::radioAccessTechnologyLTE) return 5;
    for (const std::string_view candidate :
         {TelephonyNetworkInfo::radioAccessTechnologyCDMAEVDORev0, TelephonyNetworkInfo::radioAccessTechnologyCDMAEVDORevA,
          TelephonyNetworkInfo::radioAccessTechnologyCDMAEVDORevB, TelephonyNetworkInfo::radioAccessTechnologyWCDMA,
          TelephonyNetworkInfo::radioAccessTechnologyHSDPA, TelephonyNetworkInfo::radioAccessTechnologyHSUPA}) {
        if (text == candidate) return 4;
    }
    for (const std::string_view candidate :
         {TelephonyNetworkInfo::radioAccessTechnologyCDMA1x, TelephonyNetworkInfo::radioAccessTechnologyGPRS,
          TelephonyNetworkInfo::radioAccessTechnologyEdge, TelephonyNetworkInfo::radioAccessTechnologyeHRPD}) {
        if (text == candidate) return 3;
    }
    if (platform::OperatingSystem::isAtLeast(14, 1) &&
        (text == TelephonyNetworkInfo::radioAccessTechnologyNR || text == TelephonyNetworkInfo::radioAccessTechnologyNRNSA)) {
        return 6;
    }
    return 0;
}

}  // namespace solen
