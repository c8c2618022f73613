#pragma once

#include <compare>
#include <cstdint>

namespace solen::platform {

// A time on a media time line: a value counted in 1/timescale seconds, or indefinite (an unknown
// or open-ended duration), or invalid (no time at all). Arithmetic on an indefinite time stays
// indefinite, on an invalid one stays invalid; an overflow gives indefinite rather than wrapping.
// A plain value: usable on any thread.
class MediaTime {
public:
    // The invalid time.
    MediaTime() = default;

    static MediaTime make(std::int64_t value, std::int32_t timescale);
    // Seconds rounded to the nearest tick of `timescale`; a non-finite or out-of-range amount gives
    // indefinite (NaN gives invalid).
    static MediaTime withSeconds(double seconds, std::int32_t timescale);
    static MediaTime zero() { return make(0, 1); }
    static MediaTime indefinite();
    static MediaTime invalid() { return {}; }

    bool isValid() const { return kind_ != Kind::invalid; }
    bool isIndefinite() const { return kind_ == Kind::indefinite; }
    // A valid, finite time.
    bool isNumeric() const { return kind_ == Kind::numeric; }

    std::int64_t value() const { return value_; }
    std::int32_t timescale() const { return timescale_; }
    // NaN for an invalid or indefinite time.
    double seconds() const;
    // Nanoseconds, saturating at the 64-bit range; only meaningful for a numeric time.
    std::int64_t nanoseconds() const;

    MediaTime operator+(const MediaTime& other) const;
    MediaTime multipliedBy(double factor) const;

    // Numeric times compare by the instant they name; indefinite sorts after every numeric time
    // and invalid before everything.
    friend std::strong_ordering operator<=>(const MediaTime& a, const MediaTime& b);
    friend bool operator==(const MediaTime& a, const MediaTime& b) { return (a <=> b) == 0; }

private:
    enum class Kind : std::uint8_t { invalid, numeric, indefinite };
    Kind kind_ = Kind::invalid;
    std::int64_t value_ = 0;
    std::int32_t timescale_ = 0;
};

}  // namespace solen::platform
