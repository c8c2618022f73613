#pragma once

#include "Ad/Network/Models/Ads.h"
#include "Commons/Json/JsonReader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace solen {

// The ad server's answer to a bid request: the auction's time-out, flags for the ad manager, the
// no-fill URL and the line items. Immutable once decoded.
struct AdResponse {
    std::string requestId;
    bool refreshConfig = false;
    std::string noAdFillEventUrl;
    std::int64_t auctionTimeout = 0;  // milliseconds
    std::optional<std::string> auctionTimeoutSource;
    std::optional<bool> rewardedVideo;
    OptionalAnyDictionary rewards;
    std::vector<Ads> ads;

    static AdResponse decode(const JsonReader& reader);
    // Parses and decodes a whole body; throws JsonDecodingError on any fault.
    static AdResponse decode(std::string_view body);
    Json encode() const;
    bool operator==(const AdResponse&) const = default;
};

}  // namespace solen
