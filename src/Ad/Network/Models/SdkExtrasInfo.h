#pragma once

#include "Commons/Json/JsonReader.h"

#include <cstdint>
#include <optional>
#include <string>

namespace solen {

// The SDK's own context of a bid request ("ext.sdk").
struct SdkExtrasInfo {
    static constexpr const char* sdkVersion = "p-i-1.0.0-beta4";

    std::string ver = sdkVersion;
    std::optional<std::string> ats;    // App Transport Security settings as JSON text
    std::optional<std::string> idmap;  // advertising and vendor identifiers as JSON text
    std::string sid;                   // session id
    std::string rid;                   // fresh UUID text of this document
    std::int64_t ts = 0;               // build time, ms since 1970
    std::int64_t mediationconfigts = 0;
    std::string adUnitId;

    template <class Writer>
    void encodeMembers(Writer& writer) const;  // the members, in their sent order
    Json encode() const;
    static SdkExtrasInfo decode(const JsonReader& reader);
    bool operator==(const SdkExtrasInfo&) const = default;
};

}  // namespace solen
