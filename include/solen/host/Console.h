#pragma once

#include <solen/SolenExport.h>

#include <functional>
#include <string_view>

namespace solen::host {

// Where the SDK's console lines go (the level is set with Solen::setLogLevel). By default they
// are printed to standard error, leaving standard output to the host; a sink receives each line
// instead (without the line feed), on the thread that logs it, so it must be thread-safe and must
// not call back into the SDK. An empty sink restores the default. Callable from any thread.
//
// At LogLevel::error the SDK prints, among its own error lines, every call of the host it refuses
// or moves (a malformed value, a call off the main thread, a report that does not fit the
// application's state), a service address it cannot use, an adapter class it does not register
// and an exception that escapes the application's own code (a delegate, a completion, a posted
// block). LogLevel::info adds why a configuration fetch failed and the SDK's progress lines.
class SOLEN_EXPORT Console {
public:
    using Sink = std::function<void(std::string_view line)>;

    Console() = delete;

    static void setSink(Sink sink);
};

}  // namespace solen::host
