#pragma once

#include <chrono>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace solen::platform {

// How long a thread that ran out of work keeps looking before it parks on its condition
// variable: a hop that follows within this time is taken without a futex wake-up on either side.
inline constexpr std::chrono::microseconds kBriefSpin{40};

// Busy-waits (with the processor's spin-loop hint) until `ready()` holds or `limit` has passed;
// returns the last value of `ready()`. `ready` must be cheap and lock-free.
template <typename Ready>
bool spinBriefly(const Ready& ready, std::chrono::microseconds limit = kBriefSpin) {
    if (ready()) {
        return true;
    }
    const auto until = std::chrono::steady_clock::now() + limit;
    for (;;) {
        for (int i = 0; i < 32; ++i) {
#if defined(__x86_64__) || defined(__i386__)
            _mm_pause();
#endif
            if (ready()) {
                return true;
            }
        }
        if (std::chrono::steady_clock::now() >= until) {
            return false;
        }
    }
}

}  // namespace solen::platform
