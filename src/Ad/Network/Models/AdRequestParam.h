#pragma once

#include "Ad/Network/Models/AppInfo.h"
#include "Ad/Network/Models/DeviceInfo.h"
#include "Ad/Network/Models/ExtrasInfo.h"
#include "Ad/Network/Models/ImpressionInfo.h"
#include "Ad/Network/Models/RegsInfo.h"
#include "Ad/Network/Models/UserInfo.h"
#include "Commons/Json/JsonReader.h"

#include <optional>
#include <string>

namespace solen {

// The bid request document posted to the ad server for one load of one ad unit. A fresh document
// is assembled for every request by BidRequestAssembler::assemble(adUnitId, impressionInfo).
struct AdRequestParam {
    DeviceInfo device;
    AppInfo app;
    ExtrasInfo ext;
    ImpressionInfo imp;
    std::optional<UserInfo> user;
    std::optional<RegsInfo> regs;

    template <class Writer>
    void encodeMembers(Writer& writer) const;  // the members, in their sent order
    // Throws JsonEncodingError (with the key path) when a free-form member holds a non-finite number.
    Json encode() const;
    static AdRequestParam decode(const JsonReader& reader);
    bool operator==(const AdRequestParam&) const = default;

    // The compact JSON text sent on the wire: the bytes of `encode().dump()`, written without
    // building the value. Throws JsonEncodingError as `encode` does, and on text that is not UTF-8.
    std::string encodeText() const;

    // The encoded body, or the reason the document cannot be encoded. Never throws.
    template <class Body>
    struct Encoded {
        std::optional<Body> body;
        std::string error;  // empty when `body` holds a value
        explicit operator bool() const { return body.has_value(); }
    };
    using EncodeResult = Encoded<Json>;
    using TextResult = Encoded<std::string>;
    EncodeResult tryEncode() const noexcept;
    TextResult tryEncodeText() const noexcept;
};

}  // namespace solen
