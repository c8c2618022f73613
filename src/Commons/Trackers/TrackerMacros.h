#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace solen {

// Placeholder tokens that line-item tracker URLs carry; replaced before a tracker is fired.
enum class TrackerMacros {
    networkLatency,
    auctionLatency,
    loadLatency,
    renderLatency,
    dropReason,
    dropReasonDesciptor,
    creativeID,
    impression,
};

inline constexpr std::array<TrackerMacros, 8> allTrackerMacros{
    TrackerMacros::networkLatency, TrackerMacros::auctionLatency, TrackerMacros::loadLatency,
    TrackerMacros::renderLatency,  TrackerMacros::dropReason,     TrackerMacros::dropReasonDesciptor,
    TrackerMacros::creativeID,     TrackerMacros::impression,
};

// The token that stands in a URL ("$IMP", "$NETWORK_LATENCY", ...).
constexpr std::string_view trackerMacroToken(TrackerMacros macro) {
    switch (macro) {
        case TrackerMacros::networkLatency: return "$NETWORK_LATENCY";
        case TrackerMacros::auctionLatency: return "$AUCTION_LATENCY";
        case TrackerMacros::loadLatency: return "$LOAD_LATENCY";
        case TrackerMacros::renderLatency: return "$RENDER_LATENCY";
        case TrackerMacros::dropReason: return "$DROP_REASON";
        case TrackerMacros::dropReasonDesciptor: return "$DROP_DESCRIPTOR";
        case TrackerMacros::creativeID: return "$CR_ID";
        case TrackerMacros::impression: return "$IMP";
    }
    return {};
}

// Exact, case-sensitive match of a token; any other text gives no macro.
constexpr std::optional<TrackerMacros> trackerMacroFromToken(std::string_view token) {
    for (const auto macro : allTrackerMacros) {
        if (trackerMacroToken(macro) == token) {
            return macro;
        }
    }
    return std::nullopt;
}

}  // namespace solen
