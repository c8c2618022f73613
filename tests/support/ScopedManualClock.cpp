#include "support/ScopedManualClock.h"

namespace solen::test {

ScopedManualClock::ScopedManualClock()
    : clock_(std::make_shared<platform::ManualClock>()), previous_(platform::Clock::shared()) {
    platform::Clock::setShared(clock_);
}

ScopedManualClock::~ScopedManualClock() { platform::Clock::setShared(previous_); }

}  // namespace solen::test
