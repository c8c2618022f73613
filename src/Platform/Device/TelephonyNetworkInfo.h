#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace solen::platform {

// What the cellular modem reports. A Linux machine has no modem: by default there is no radio
// access technology; tests and hosts can supply one.
class TelephonyNetworkInfo {
public:
    // Radio access technology texts.
    static constexpr std::string_view radioAccessTechnologyGPRS = "GPRS";
    static constexpr std::string_view radioAccessTechnologyEdge = "Edge";
    static constexpr std::string_view radioAccessTechnologyWCDMA = "WCDMA";
    static constexpr std::string_view radioAccessTechnologyHSDPA = "HSDPA";
    static constexpr std::string_view radioAccessTechnologyHSUPA = "HSUPA";
    static constexpr std::string_view radioAccessTechnologyCDMA1x = "CDMA1x";
    static constexpr std::string_view radioAccessTechnologyCDMAEVDORev0 = "CDMAEVDORev0";
    static constexpr std::string_view radioAccessTechnologyCDMAEVDORevA = "CDMAEVDORevA";
    static constexpr std::string_view radioAccessTechnologyCDMAEVDORevB = "CDMAEVDORevB";
    static constexpr std::string_view radioAccessTechnologyeHRPD = "eHRPD";
    static constexpr std::string_view radioAccessTechnologyLTE = "LTE";
    static constexpr std::string_view radioAccessTechnologyNRNSA = "NRNSA";
    static constexpr std::string_view radioAccessTechnologyNR = "NR";

    // The technology of the current data connection; absent when there is none.
    std::optional<std::string> currentRadioAccessTechnology() const;

    // Replaces the source (an empty function restores the default: none).
    static void setRadioAccessTechnologyProvider(std::function<std::optional<std::string>()> provider);
};

}  // namespace solen::platform
