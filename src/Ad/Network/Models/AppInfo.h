#pragma once

#include "Commons/Json/JsonReader.h"

#include <optional>
#include <string>

namespace solen {

// The application ("app"); also a member of the analytics request.
struct AppInfo {
    std::optional<std::string> bundle;  // main bundle identifier
    std::string name;                   // display name of the main bundle
    std::optional<std::string> ver;     // short version text

    template <class Writer>
    void encodeMembers(Writer& writer) const;  // the members, in their sent order
    Json encode() const;
    static AppInfo decode(const JsonReader& reader);
    bool operator==(const AppInfo&) const = default;
};

}  // namespace solen
