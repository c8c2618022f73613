#pragma once

#include "Commons/Json/JsonReader.h"

#include <optional>
#include <string>
#include <vector>

namespace solen {

// The application's SKAdNetwork identifiers ("ext.skadn").
struct SKAdNetworkInfo {
    static constexpr const char* currentVersion = "2.0";

    std::optional<std::string> ver;
    std::optional<std::vector<std::string>> skadnetids;

    template <class Writer>
    void encodeMembers(Writer& writer) const;  // the members, in their sent order
    Json encode() const;
    static SKAdNetworkInfo decode(const JsonReader& reader);
    bool operator==(const SKAdNetworkInfo&) const = default;
};

}  // namespace solen
