#pragma once

#include "Commons/Trackers/TrackerMacros.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace solen {

// One substitution: a macro and the value that replaces its token.
struct TrackerData {
    TrackerMacros macro;
    std::string macroValue;

    bool operator==(const TrackerData&) const = default;

    // Eight entries, always in this order: $IMP, $CR_ID, $NETWORK_LATENCY, $DROP_REASON,
    // $DROP_DESCRIPTOR, $LOAD_LATENCY, $RENDER_LATENCY, $AUCTION_LATENCY; an absent argument gives
    // the empty text.
    static std::vector<TrackerData> list(std::optional<std::string> impression = std::nullopt,
                                         std::optional<std::string> creativeID = std::nullopt,
                                         std::optional<std::string> networkLatency = std::nullopt,
                                         std::optional<std::string> dropReason = std::nullopt,
                                         std::optional<std::string> dropReasonDesciptor = std::nullopt,
                                         std::optional<std::string> loadLatency = std::nullopt,
                                         std::optional<std::string> renderLatency = std::nullopt,
                                         std::optional<std::string> auctionLatency = std::nullopt);

    // Percent-encodes a macro value: letters, digits and -._~!$'()*,: stay, every other byte
    // becomes %XX. So a value cannot end its query parameter ("&", "=", "#", ";"), change its
    // meaning ("+", "%") or add a path or fragment.
    static std::string encodeValue(std::string_view value);

    // Replaces every token of a macro that has an entry by its encoded value, in one left-to-right
    // pass: an inserted value is never scanned again, so a value holding a token stays as it is.
    // When a macro has several entries the first one counts. Tokens without an entry stay.
    static std::string substitute(std::string_view url, const std::vector<TrackerData>& data);
};

}  // namespace solen
