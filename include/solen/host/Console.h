#pragma once

#include <solen/SolenExport.h>

#include <functional>
#include <string_view>

namespace solen::host {

// Where the SDK's console lines go (the level is set with Solen::setLogLevel). By default they
// are printed to standard output; a sink receives each line instead, on the thread that logs it,
// so it must be thread-safe. An empty sink restores the default. Callable from any thread.
class SOLEN_EXPORT Console {
public:
    using Sink = std::function<void(std::string_view line)>;

    Console() = delete;

    static void setSink(Sink sink);
};

}  // namespace solen::host
