#pragma once

#include "Platform/Dispatch/Clock.h"

#include <cstdint>
#include <optional>

namespace solen {

// Measures one latency: the owner stamps the start and the end of an operation with the current
// wall-clock time and later asks for the elapsed whole milliseconds. A missing stamp, or an end
// before the start (the wall clock was set back between the stamps), gives 0.
class LatencyInterval {
public:
    using TimePoint = platform::Clock::WallTimePoint;

    virtual ~LatencyInterval() = default;

    virtual std::optional<TimePoint> start() const { return start_; }
    virtual void setStart(std::optional<TimePoint> start) { start_ = start; }
    virtual std::optional<TimePoint> end() const { return end_; }
    virtual void setEnd(std::optional<TimePoint> end) { end_ = end; }

    // Stamp with the shared clock's current wall time.
    void markStart() { setStart(platform::Clock::shared()->wallNow()); }
    void markEnd() { setEnd(platform::Clock::shared()->wallNow()); }

    // Milliseconds from start to end, truncated toward zero; 0 when a stamp is missing or the
    // pair is reversed.
    virtual std::int64_t getLatency() const;

private:
    std::optional<TimePoint> start_;
    std::optional<TimePoint> end_;
};

}  // namespace solen
