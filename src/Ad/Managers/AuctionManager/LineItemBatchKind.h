#pragma once

#include <cstdint>

namespace solen {

// The kind of a batch of line items that the auctioneer hands to a bidder.
enum class LineItemBatchKind : std::uint8_t {
    passive = 0,  // a run of registered line items of networks without header bidding
    header = 1,   // one line item of a header-bidding network
    s2s = 2,      // one unregistered server-to-server line item
    none = 3,     // nothing left to auction
};

}  // namespace solen
