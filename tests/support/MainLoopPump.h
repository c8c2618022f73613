#pragma once

#include "support/ScopedManualClock.h"

namespace solen::test {

// Moves the manual clock forward by `seconds` in steps of at most `step`, running the main loop
// until idle after each step, so that run-loop timers fire at the turn they become due.
void advanceAndPump(ScopedManualClock& clock, double seconds, double step);

// `count` steps of `step` seconds, each followed by a turn of the main loop.
void pumpSteps(ScopedManualClock& clock, int count, double step);

}  // namespace solen::test
