#pragma once

#include "Commons/Json/JsonReader.h"

#include <optional>

namespace solen {

// Regulatory consent ("regs"); also a member of the analytics request.
struct RegsInfo {
    std::optional<Json> consent;  // free-form consent dictionary

    template <class Writer>
    void encodeMembers(Writer& writer) const;  // the members, in their sent order
    Json encode() const;  // throws JsonEncodingError on a non-finite number in `consent`
    static RegsInfo decode(const JsonReader& reader);
    bool operator==(const RegsInfo&) const = default;
};

}  // namespace solen
