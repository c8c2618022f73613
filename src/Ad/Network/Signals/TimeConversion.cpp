#include "Ad/Network/Signals/TimeConversion.h"

#include <cmath>
#include <limits>

namespace solen {

double TimeConversion::seconds(platform::Clock::WallTimePoint time) {
    return std::chrono::duration<double>(time.time_since_epoch()).count();
}

std::int64_t TimeConversion::milliseconds(platform::Clock::WallTimePoint time) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

std::int64_t TimeConversion::truncateToInt64(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    // 2^63 is exactly representable; every double below it (and at or above -2^63) converts safely.
    constexpr double limit = 9223372036854775808.0;
    if (value >= limit) {
        return std::numeric_limits<std::int64_t>::max();
    }
    if (value < -limit) {
        return std::numeric_limits<std::int64_t>::min();
    }
    return static_cast<std::int64_t>(value);
}

platform::Clock::WallTimePoint TimeConversion::now() { return platform::Clock::shared()->wallNow(); }

}  // namespace solen
