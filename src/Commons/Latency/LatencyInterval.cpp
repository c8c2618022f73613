#include "Commons/Latency/LatencyInterval.h"

#include "Commons/Utilities/Logger.h"

#include <charconv>
#include <limits>

namespace solen {

std::int64_t LatencyInterval::getLatency() const {
    const auto from = start();
    const auto to = end();
    if (!from || !to) {
        Logger::debug("The loadStartTimeStamp/loadEndTimeStamp is not valid");
        return 0;
    }
    std::int64_t nanoseconds = 0;
    if (__builtin_sub_overflow(to->time_since_epoch().count(), from->time_since_epoch().count(), &nanoseconds)) {
        // Stamps further apart than the nanosecond range: saturate in the direction of the pair.
        nanoseconds = *to > *from ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
    }
    if (nanoseconds < 0) {
        Logger::debug("The loadStartTimeStamp/loadEndTimeStamp is not valid");
        return 0;
    }
    if (Logger::logLevel() >= 5) {  // read for every tracker of every line item: composed only when printed
        const double milliseconds = static_cast<double>(nanoseconds) / 1e6;
        char text[32];
        const auto written = std::to_chars(text, text + sizeof text, milliseconds);
        Logger::debug("The latency is " + std::string(text, written.ptr));
    }
    // Integer division truncates exactly, without the rounding of the double.
    return nanoseconds / 1'000'000;
}

}  // namespace solen
