#include "support/MainLoopPump.h"

#include "Platform/Dispatch/MainLoop.h"

#include <algorithm>

namespace solen::test {

void advanceAndPump(ScopedManualClock& clock, double seconds, double step) {
    // Whole nanoseconds, so that the steps add up to exactly `seconds`.
    const auto total = platform::Clock::seconds(seconds);
    const auto stride = platform::Clock::seconds(step);
    for (platform::Clock::Duration done{0}; done < total; done += stride) {
        clock.advance(std::min(stride, total - done));
        platform::MainLoop::shared().runUntilIdle();
    }
}

void pumpSteps(ScopedManualClock& clock, int count, double step) {
    for (int i = 0; i < count; ++i) {
        clock.advanceSeconds(step);
        platform::MainLoop::shared().runUntilIdle();
    }
}

}  // namespace solen::test
