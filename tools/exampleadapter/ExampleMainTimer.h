#pragma once

#include <chrono>
#include <functional>

namespace example {

// Runs `block` on the application's main loop once `delay` has passed. One thread of the package,
// started on first use, waits for the earliest deadline of all scheduled blocks and posts each when
// due, so scheduling starts no thread and blocks its caller for no longer than taking a lock.
// Blocks due together are posted in the order they were scheduled. Thread-safe.
void postToMainAfter(std::chrono::duration<double, std::milli> delay, std::function<void()> block);

}  // namespace example
