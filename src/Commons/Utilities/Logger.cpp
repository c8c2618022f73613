#include "Commons/Utilities/Logger.h"

#include "Platform/Dispatch/Clock.h"

#include <cstdio>
#include <ctime>
#include <mutex>

namespace solen {
namespace {

std::atomic<std::uint8_t> gLogLevel{0};

std::mutex& sinkMutex() {
    static std::mutex mutex;
    return mutex;
}

Logger::Sink& sinkStorage() {
    static auto& sink = *new Logger::Sink;
    return sink;
}

std::string formattedNow() {
    const auto wall = platform::Clock::shared()->wallNow();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(wall));
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return std::string(text, length);
}

}  // namespace

std::uint8_t Logger::logLevel() { return gLogLevel.load(std::memory_order_relaxed); }

void Logger::setLogLevel(std::uint8_t level) { gLogLevel.store(level, std::memory_order_relaxed); }

std::string_view Logger::prefix(std::uint8_t level) {
    switch (level) {
        case 1: return "\xE2\x9D\x97\xEF\xB8\x8F ";  // heavy exclamation mark, blank
        case 2: return "\xF0\x9F\x92\xAC ";          // speech balloon, blank
        case 3: return "[\xF0\x9F\x94\xA5]";         // [fire], no blank
        case 5: return "\xF0\x9F\x90\x9E ";          // lady beetle, blank
        default: return "";
    }
}

void Logger::log(std::string_view message, std::uint8_t level) {
    if (logLevel() < level) {
        return;
    }
    std::string line = formattedNow();
    line += " [SolenSDK] ";
    line += prefix(level);
    line += message;

    std::lock_guard<std::mutex> lock(sinkMutex());
    if (auto& sink = sinkStorage()) {
        sink(line);
    } else {
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
    }
}

void Logger::format(std::string_view message, std::string_view file, std::string_view function,
                    std::uint_least32_t line, std::uint8_t level) {
    if (logLevel() < level) {
        return;
    }
    std::string text;
    text.reserve(message.size() + file.size() + function.size() + 16);
    text += '[';
    text += fileName(file);
    text += "][";
    text += function;
    text += "]::";
    text += std::to_string(line);
    text += ' ';
    text += message;
    log(text, level);
}

void Logger::debug(std::string_view message, std::source_location where) {
    if (logLevel() < 5) {
        return;
    }
    format(message, where.file_name(), functionText(where), where.line(), 5);
}

void Logger::error(std::string_view message, std::source_location where) {
    if (logLevel() < 3) {
        return;
    }
    format(message, where.file_name(), functionText(where), where.line(), 3);
}

void Logger::applicationError(std::string_view message) { log(message, publicErrorLevel); }

std::string Logger::fileName(std::string_view path) {
    const auto slash = path.rfind('/');
    std::string_view last = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const auto dot = last.find('.');
    return std::string(dot == std::string_view::npos ? last : last.substr(0, dot));
}

std::string Logger::functionText(const std::source_location& where) {
    // The compiler's text is a full signature ("void solen::TimeKeeper::resume()"); keep the
    // function's own name: the word before the first parenthesis, after its qualifiers.
    std::string_view signature = where.function_name();
    const auto paren = signature.find('(');
    std::string_view head = paren == std::string_view::npos ? signature : signature.substr(0, paren);
    const auto scope = head.rfind("::");
    if (scope != std::string_view::npos) {
        head = head.substr(scope + 2);
    }
    const auto space = head.rfind(' ');
    if (space != std::string_view::npos) {
        head = head.substr(space + 1);
    }
    return std::string(head) + "()";
}

Logger::Sink Logger::setSink(Sink sink) {
    std::lock_guard<std::mutex> lock(sinkMutex());
    Sink previous = std::move(sinkStorage());
    sinkStorage() = std::move(sink);
    return previous;
}

}  // namespace solen
