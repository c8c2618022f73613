#pragma once

// For benchmarks that load public ads from the local ad service and compare them with bare libcurl
// exchanges: stopping a program that cannot measure, collecting answers, and a native delegate that
// tells a load's outcome.
#include <solen/SolenNative.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace solen::bench {

// Ends `program` with `why`: a benchmark that cannot set itself up has nothing to measure.
[[noreturn]] inline void stop(const char* program, const std::string& why) {
    std::fprintf(stderr, "%s: %s\n", program, why.c_str());
    std::abort();
}

// libcurl's write callback appending to the std::string at `target`.
inline std::size_t appendToString(char* data, std::size_t size, std::size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

// The terminal outcome of one load, whatever the format's delegate; a failure is printed.
struct LoadOutcome {
    bool loaded = false;
    bool failed = false;
    void fail(const platform::Error& error) {
        failed = true;
        std::fprintf(stderr, "load failed: %lld %s\n", static_cast<long long>(error.code), error.localizedDescription.c_str());
    }
};

class RecordingNativeDelegate final : public SolenNativeDelegate, public LoadOutcome {
public:
    std::shared_ptr<platform::ViewController> viewControllerForSolenFullScreen() override { return nullptr; }
    void solenNativeDidLoad(SolenNative&) override { loaded = true; }
    void solenNativeDidLoadFail(SolenNative&, const platform::Error& error) override { fail(error); }
};

}  // namespace solen::bench
