#include "Platform/Media/MediaTime.h"

#include <cmath>
#include <limits>
#include <numeric>

namespace solen::platform {
namespace {

// Products of two 64-bit values do not overflow here.
__extension__ typedef __int128 Wide;

}  // namespace

MediaTime MediaTime::make(std::int64_t value, std::int32_t timescale) {
    if (timescale <= 0) return invalid();
    MediaTime time;
    time.kind_ = Kind::numeric;
    time.value_ = value;
    time.timescale_ = timescale;
    return time;
}

MediaTime MediaTime::withSeconds(double seconds, std::int32_t timescale) {
    if (std::isnan(seconds) || timescale <= 0) return invalid();
    const double ticks = std::round(seconds * timescale);
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    if (!std::isfinite(ticks) || std::fabs(ticks) >= 9.2233720368547758e18) return indefinite();
    return make(static_cast<std::int64_t>(ticks), timescale);
}

MediaTime MediaTime::indefinite() {
    MediaTime time;
    time.kind_ = Kind::indefinite;
    return time;
}

double MediaTime::seconds() const {
    if (!isNumeric()) return std::numeric_limits<double>::quiet_NaN();
    return static_cast<double>(value_) / timescale_;
}

std::int64_t MediaTime::nanoseconds() const {
    if (!isNumeric()) return 0;
    const Wide nanos = static_cast<Wide>(value_) * 1'000'000'000 / timescale_;
    if (nanos > std::numeric_limits<std::int64_t>::max()) return std::numeric_limits<std::int64_t>::max();
    if (nanos < std::numeric_limits<std::int64_t>::min()) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(nanos);
}

MediaTime MediaTime::operator+(const MediaTime& other) const {
    if (!isValid() || !other.isValid()) return invalid();
    if (isIndefinite() || other.isIndefinite()) return indefinite();
    // Both on the larger timescale (exact when one divides the other, else rounded down).
    const std::int32_t scale = std::max(timescale_, other.timescale_);
    const Wide sum = static_cast<Wide>(value_) * scale / timescale_ +
                         static_cast<Wide>(other.value_) * scale / other.timescale_;
    if (sum > std::numeric_limits<std::int64_t>::max() || sum < std::numeric_limits<std::int64_t>::min()) {
        return indefinite();
    }
    return make(static_cast<std::int64_t>(sum), scale);
}

MediaTime MediaTime::multipliedBy(double factor) const {
    if (!isNumeric()) return *this;
    return withSeconds(seconds() * factor, timescale_);
}

std::strong_ordering operator<=>(const MediaTime& a, const MediaTime& b) {
    if (a.kind_ != b.kind_) return a.kind_ <=> b.kind_;
    if (!a.isNumeric()) return std::strong_ordering::equal;
    return static_cast<Wide>(a.value_) * b.timescale_ <=> static_cast<Wide>(b.value_) * a.timescale_;
}

}  // namespace solen::platform
