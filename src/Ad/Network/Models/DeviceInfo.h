#pragma once

#include "Ad/Network/Models/GeoInfo.h"
#include "Commons/Json/JsonReader.h"

#include <optional>
#include <string>

namespace solen {

// The device of a bid request ("device").
struct DeviceInfo {
    int lmt = 0;                          // 1 when advertising tracking is enabled, else 0
    std::optional<std::string> att;       // tracking authorisation status as decimal text
    double screendensity = 1.0;           // main screen scale
    std::optional<std::string> localization;
    int orientation = 0;                  // interface orientation, platform numbering
    int connectiontype = -1;              // connection class minus one; -1 without a reading
    std::optional<std::string> ua;
    std::string make = "Apple";
    std::string model;
    std::string osv;
    std::string hwv;
    int devicetype = 0;                   // 4 phone, 5 tablet, 0 other
    std::optional<std::string> carrier;
    std::optional<std::string> mccmnc;
    std::optional<GeoInfo> geo;

    template <class Writer>
    void encodeMembers(Writer& writer) const;  // the members, in their sent order
    Json encode() const;
    static DeviceInfo decode(const JsonReader& reader);
    bool operator==(const DeviceInfo&) const = default;
};

}  // namespace solen
