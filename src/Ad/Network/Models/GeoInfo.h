#pragma once

#include "Commons/Json/JsonReader.h"

#include <cstdint>
#include <optional>

namespace solen {

// The device location of a bid request. In an assembled request all four members are present.
struct GeoInfo {
    // Where the location came from.
    static constexpr int sourceDeviceLookup = 1;
    static constexpr int sourcePublisher = 3;

    std::optional<double> lat;
    std::optional<double> lon;
    std::optional<int> type;
    std::optional<double> accuracy;

    template <class Writer>
    void encodeMembers(Writer& writer) const;  // the members, in their sent order
    Json encode() const;
    static GeoInfo decode(const JsonReader& reader);
    bool operator==(const GeoInfo&) const = default;
};

}  // namespace solen
