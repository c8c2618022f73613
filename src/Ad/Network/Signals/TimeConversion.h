#pragma once

#include "Platform/Dispatch/Clock.h"

#include <cstdint>

namespace solen {

// Conversions between wall-clock times and the numbers the SDK sends and stores.
class TimeConversion {
public:
    // Seconds since 1970 with fraction.
    static double seconds(platform::Clock::WallTimePoint time);
    // Whole milliseconds since 1970, truncated toward zero.
    static std::int64_t milliseconds(platform::Clock::WallTimePoint time);
    // Truncates toward zero to a signed 64-bit integer. Values beyond the range are clamped to it;
    // NaN gives 0. Never undefined behaviour.
    static std::int64_t truncateToInt64(double value);
    // The current wall time of the shared clock.
    static platform::Clock::WallTimePoint now();
};

}  // namespace solen
