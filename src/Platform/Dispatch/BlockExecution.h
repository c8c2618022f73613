#pragma once

#include "Platform/Dispatch/DispatchQueue.h"

#include <functional>
#include <string_view>

namespace solen::platform {

// Runs queue blocks for the dispatch stand-ins (internal): marks the queue as current on the
// calling thread while the block runs, and catches and logs whatever the block throws.
class BlockExecution {
public:
    static void run(const DispatchQueue& queue, const DispatchBlock& block);
    // True when a block of `queue` is running on the calling thread (possibly further out, when
    // that block synchronously runs a block of another queue).
    static bool isRunning(const DispatchQueue& queue);
    // Calls `work`; an exception escaping it is logged as "Uncaught exception in <what>: ...".
    static void catching(const std::function<void()>& work, std::string_view what);
};

}  // namespace solen::platform
