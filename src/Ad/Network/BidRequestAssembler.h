#pragma once

#include "Ad/Network/Models/AdRequestParam.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace solen {

// Fills the bid request document for one load: every device, application, session, SKAdNetwork,
// header-bidding, user and consent signal is read at the moment of building and placed in its
// field, or left out when missing or not allowed. Runs on the thread that starts the load.
class BidRequestAssembler {
public:
    static constexpr const char* deviceMake = "Apple";

    // Never fails; every missing signal becomes an empty optional member. Moves the session
    // forward (roll-over) as a side effect.
    static AdRequestParam assemble(const std::string& adUnitId, const ImpressionInfo& impressionInfo);
    // `assemble` followed by encoding to the text that is sent. A member that cannot be encoded (a
    // non-finite number in the consent or the extras, text that is not UTF-8) fails the whole
    // request with a clear error, which is also logged.
    static AdRequestParam::TextResult assembleBody(const std::string& adUnitId, const ImpressionInfo& impressionInfo);

    static DeviceInfo deviceInfo();
    // Shared with the analytics request.
    static AppInfo appInfo();
    static SdkExtrasInfo sdkExtrasInfo(const std::string& adUnitId);
    // Shared with the analytics request: gender and user extension, each when present.
    static UserInfo makeUserInfo();
    // `makeUserInfo` when it carries anything, otherwise none (no "user").
    static std::optional<UserInfo> userInfo();
    // Shared with the analytics request: the selected consent, or none (no "regs").
    static std::optional<RegsInfo> regsInfo();
    // Where the location comes from: the device fix first, else the application's stored
    // location; none when the signals configuration does not allow location or neither is known.
    static std::optional<GeoInfo> geoInfo();

    // The application's SKAdNetwork identifiers, read from the main bundle once per process.
    static std::vector<std::string> skAdNetworkIdentifiers();
    // The identifiers of an "SKAdNetworkItems" value: from each element that is a dictionary of
    // texts, its "SKAdNetworkIdentifier"; other elements are skipped.
    static std::vector<std::string> skAdNetworkIdentifiers(const Json& items);
    // Reads the bundle again at the next use (tests).
    static void resetSkAdNetworkIdentifiers();

    // The per-network header-bidding data of an ad unit ("ext.tpnsdks"): by default
    // `AdapterUtils::fetchTPSdksData`. Replaceable by tests; an empty function restores the default.
    using NetworkSdkDataProvider =
        std::function<std::optional<std::map<std::string, NetworkSDKData>>(const std::string& adUnitId)>;
    static void setNetworkSdkDataProvider(NetworkSdkDataProvider provider);
};

}  // namespace solen
