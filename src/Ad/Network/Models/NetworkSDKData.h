#pragma once

#include "Commons/Json/JsonReader.h"

#include <string>

namespace solen {

// One header-bidding network's SDK version and base64 bid token ("ext.tpnsdks.<networkId>").
struct NetworkSDKData {
    std::string ver;
    std::string bidToken;

    Json encode() const;
    static NetworkSDKData decode(const JsonReader& reader);
    bool operator==(const NetworkSDKData&) const = default;
};

}  // namespace solen
