#pragma once

#include "Ad/Network/Models/NetworkSDKData.h"
#include "Ad/Network/Models/SKAdNetworkInfo.h"
#include "Ad/Network/Models/SdkExtrasInfo.h"
#include "Commons/Json/JsonReader.h"

#include <map>
#include <optional>
#include <string>

namespace solen {

// The SDK's context of a bid request ("ext").
struct ExtrasInfo {
    SdkExtrasInfo sdk;
    std::optional<SKAdNetworkInfo> skadn;
    std::optional<std::string> ppmver;
    std::optional<std::map<std::string, NetworkSDKData>> tpnsdks;  // keyed by network id

    template <class Writer>
    void encodeMembers(Writer& writer) const;  // the members, in their sent order
    Json encode() const;
    static ExtrasInfo decode(const JsonReader& reader);
    bool operator==(const ExtrasInfo&) const = default;
};

}  // namespace solen
