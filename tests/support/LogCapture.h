#pragma once

#include "Commons/Utilities/Logger.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace solen::test {

// Captures every logged line while alive and raises the log level so that debug (5) and error (3)
// lines are produced. Restores the previous sink and level when destroyed.
class LogCapture {
public:
    explicit LogCapture(std::uint8_t level = 5);
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::string> lines() const;
    // True when some captured line contains `text`.
    bool contains(const std::string& text) const;
    std::size_t count(const std::string& text) const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    Logger::Sink previousSink_;
    std::uint8_t previousLevel_;
};

}  // namespace solen::test
