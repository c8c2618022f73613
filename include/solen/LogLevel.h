#pragma once

#include <cstdint>
#include <optional>

namespace solen {

// The console log level the application sets. A line is printed when the level set is at least
// the line's own level.
enum class LogLevel : std::int64_t {
    none = 0,   // nothing is printed (the level before the application sets one)
    error = 1,  // lines logged at level 1
    info = 2,   // lines logged at levels 1 and 2
};

// Nothing outside 0 to 2.
constexpr std::optional<LogLevel> logLevelFromRawValue(std::int64_t rawValue) {
    if (rawValue >= 0 && rawValue <= 2) {
        return static_cast<LogLevel>(rawValue);
    }
    return std::nullopt;
}

constexpr std::int64_t rawValue(LogLevel level) { return static_cast<std::int64_t>(level); }

}  // namespace solen
