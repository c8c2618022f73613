#pragma once

#include <chrono>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

namespace solen::demo {

// What happened during the demo, from any thread, in order of arrival: SDK log lines, the host's
// own steps and callbacks, and the requests the local service received.
class DemoTimeline {
public:
    struct Entry {
        double atMs = 0;
        std::string source;  // "host", "sdk", "service"
        std::string text;
    };

    DemoTimeline();

    void add(std::string source, std::string text);
    std::vector<Entry> entries() const;
    // Whether nothing was added for at least `quiet`.
    bool quietFor(std::chrono::milliseconds quiet) const;
    void print(std::ostream& out) const;

    // An SDK log line without its date: "2026-12-06 12:00:00 [SolenSDK] text" -> "[SolenSDK] text".
    static std::string withoutDate(const std::string& line);

private:
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start_;
    mutable std::mutex mutex_;
    std::vector<Entry> entries_;
    Clock::time_point last_;
};

}  // namespace solen::demo
