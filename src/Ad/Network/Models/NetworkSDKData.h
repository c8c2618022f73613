#pragma once

#include "Commons/Json/JsonReader.h"

#include <string>

namespace solen {

// One header-bidding network's SDK version and base64 bid token ("ext.tpnsdks.<networkId>").
struct NetworkSDKData {
    std::string ver;
    std::string bidToken;

    template <class Writer>
    void encodeMembers(Writer& writer) const;  // the members, in their sent order
    Json encode() const;
    static NetworkSDKData decode(const JsonReader& reader);
    bool operator==(const NetworkSDKData&) const = default;
};

}  // namespace solen
