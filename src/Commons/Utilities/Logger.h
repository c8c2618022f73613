#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <source_location>
#include <string>
#include <string_view>

namespace solen {

// The SDK's one logging facility. A line is printed when the process-wide level is at least the
// message's level: "<yyyy-MM-dd HH:mm:ss> [SolenSDK] <prefix><message>". Levels in use: 1 and 2
// (direct calls), 3 (`error`) and 5 (`debug`); the application can only set 0, 1 or 2, so only
// lines of levels 1 and 2 ever reach a host. Lines go to standard error unless a sink is set:
// standard output belongs to the host.
class Logger {
public:
    // Receives each whole line, without the line feed. The default writes to standard error.
    using Sink = std::function<void(std::string_view line)>;

    // The levels the application can see (`LogLevel.error` and `LogLevel.info`).
    static constexpr std::uint8_t publicErrorLevel = 1;
    static constexpr std::uint8_t publicInfoLevel = 2;

    static std::uint8_t logLevel();
    static void setLogLevel(std::uint8_t level);

    static void log(std::string_view message, std::uint8_t level);
    static void debug(std::string_view message, std::source_location where = std::source_location::current());
    static void error(std::string_view message, std::source_location where = std::source_location::current());
    // What the application did wrong and must hear of: a refused call, a bad setting, an
    // exception escaping its own code. Logged at the public error level, so that a host that
    // shows errors sees why nothing happened.
    static void applicationError(std::string_view message);

    // The wrappers' common body: "[" + file name + "][" + function + "]::" + line + " " + message.
    static void format(std::string_view message, std::string_view file, std::string_view function,
                       std::uint_least32_t line, std::uint8_t level);

    // "a/b/AdLoadTimer.swift" -> "AdLoadTimer"; "x.y.z" -> "x"; "" -> "".
    static std::string fileName(std::string_view path);
    // The function text of a call site: the function's own name followed by "()".
    static std::string functionText(const std::source_location& where);

    // The prefix printed before a message of the given level.
    static std::string_view prefix(std::uint8_t level);

    // Replaces where lines go; an empty sink restores standard error. Returns the previous sink.
    static Sink setSink(Sink sink);
};

}  // namespace solen
