#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace solen {

// Error codes of ad failures; the code of the error (domain "ai.solen.SolenAdError") that ad
// delegates receive. There are no codes 2011 and 2013.
enum class SolenAdError : std::int64_t {
    invalidLoadRequest = 2001,
    internalError = 2002,
    adActive = 2003,
    monetizationDisabled = 2004,
    sdkNotInitilize = 2005,
    fetchTimeOut = 2006,
    renderTimeout = 2007,
    invalidAdUnit = 2008,
    invalidAdSize = 2009,
    networkUnreachable = 2010,
    serverError = 2012,
    auctionTimeout = 2014,
    auctionNoFill = 2015,
    noFill = 2016,
};

// Nothing outside 2001 to 2016 and for 2011 and 2013.
constexpr std::optional<SolenAdError> solenAdErrorFromRawValue(std::int64_t rawValue) {
    constexpr std::int64_t first = 2001;
    // One validity flag per code from 2001 to 2016.
    constexpr std::array<bool, 16> valid = {true, true, true, true, true, true, true, true,
                                            true, true, false, true, false, true, true, true};
    if (rawValue < first || rawValue >= first + static_cast<std::int64_t>(valid.size()) ||
        !valid[static_cast<std::size_t>(rawValue - first)]) {
        return std::nullopt;
    }
    return static_cast<SolenAdError>(rawValue);
}

constexpr std::int64_t rawValue(SolenAdError error) { return static_cast<std::int64_t>(error); }

}  // namespace solen
