#pragma once

#include <chrono>
#include <functional>

namespace solen::test {

// Waits until the global queues and the private queues' workers have nothing queued or running
// (blocks they submit to each other included). Does not pump the main loop. Returns false on
// timeout or when called from a block of those queues.
bool drainGlobalQueue(std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Waits until `predicate` is true or `timeout` has passed; returns the predicate's last value.
// On the main thread it runs the main loop meanwhile (blocks and due run-loop timers), so work
// that hops to the main queue makes progress; elsewhere it polls.
bool waitUntil(const std::function<bool()>& predicate,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Waits like `waitUntil` without running the main loop, also on the main thread: blocks queued
// for main stay queued, in their order, so a test can order other threads' work before them.
bool waitHoldingMain(const std::function<bool()>& predicate,
                     std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Drains the background queues and the main loop until both are idle together (main thread
// only): work that bounces between them has settled. Returns false on timeout.
bool settle(std::chrono::milliseconds timeout = std::chrono::seconds(10));

}  // namespace solen::test
