#pragma once

#include "Ad/Network/Models/AdTrackers.h"
#include "Ad/RenderEngine/Native/Creative.h"
#include "Commons/Json/JsonReader.h"
#include "Commons/Utilities/HeapOptional.h"
#include "Commons/Utilities/OptionalAnyDictionary.h"

#include <cstdint>
#include <optional>
#include <string>

namespace solen {

// One line item of an ad response, in the order the auction tries them.
struct Ads {
    std::string lineItemId;
    std::string networkId;
    OptionalAnyDictionary lineItemMeta;    // free-form settings for the line item's adapter
    std::optional<std::string> adm;      // base64 ad markup of a server-to-server line item
    std::optional<bool> s2s;
    AdTrackers trackers;
    OptionalAnyDictionary impressionData;  // free-form, handed up with the impression callback
    std::optional<std::int64_t> timeout; // milliseconds; absent or 0: the network's load time-out
    HeapOptional<Creative> creative;     // kept apart: most line items have none

    static Ads decode(const JsonReader& reader);
    Json encode() const;
    bool operator==(const Ads&) const = default;
};

// Encodes an optional free-form member; absent stays absent.
std::optional<Json> encodeFreeForm(const OptionalAnyDictionary& value, const std::string& path);

}  // namespace solen
