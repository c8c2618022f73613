#pragma once

#include "Commons/Json/JsonReader.h"

#include <map>
#include <optional>
#include <string>

namespace solen {

struct AdSetting;

// The placement of one bid request ("imp"): requested size in points and the load's extras.
struct ImpressionInfo {
    std::optional<double> height;                              // "h"
    std::optional<double> width;                               // "w"
    std::optional<std::map<std::string, std::string>> extras;  // "ext"

    // Height and width from the setting's size (both absent without one), extras from its extras.
    static ImpressionInfo from(const AdSetting& setting);

    template <class Writer>
    void encodeMembers(Writer& writer) const;  // the members, in their sent order
    Json encode() const;
    static ImpressionInfo decode(const JsonReader& reader);
    bool operator==(const ImpressionInfo&) const = default;
};

}  // namespace solen
