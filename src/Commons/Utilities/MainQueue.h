#pragma once

#include "Platform/Dispatch/DispatchQueue.h"

namespace solen {

// Hops to the main queue: submits `block` asynchronously and returns at once. The block never
// runs inline, also when the caller is on the main thread; it runs on a later turn of the main
// loop, in submission order, and holds what it captured until it has run.
void performOnMainQueue(platform::DispatchBlock block);

// Wakes a sleeping main loop ahead of a hop that is about to come: the loop looks for blocks
// briefly before it sleeps again, so its wake-up overlaps the work that precedes the hop. Runs
// nothing; callable from any thread.
void wakeMainQueue();

}  // namespace solen
