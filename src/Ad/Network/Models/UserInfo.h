#pragma once

#include "Commons/Json/JsonReader.h"

#include <optional>

namespace solen {

// User data the application supplied ("user"); also a member of the analytics request.
struct UserInfo {
    std::optional<int> gender;  // raw Gender value
    std::optional<Json> ext;    // user extension object (free-form), only when not empty

    template <class Writer>
    void encodeMembers(Writer& writer) const;  // the members, in their sent order
    Json encode() const;  // throws JsonEncodingError on a non-finite number in `ext`
    static UserInfo decode(const JsonReader& reader);
    bool operator==(const UserInfo&) const = default;
};

}  // namespace solen
