#include "support/LogCapture.h"

namespace solen::test {

LogCapture::LogCapture(std::uint8_t level) : previousLevel_(Logger::logLevel()) {
    previousSink_ = Logger::setSink([this](std::string_view line) {
        std::lock_guard<std::mutex> lock(mutex_);
        lines_.emplace_back(line);
    });
    Logger::setLogLevel(level);
}

LogCapture::~LogCapture() {
    Logger::setLogLevel(previousLevel_);
    Logger::setSink(std::move(previousSink_));
}

std::vector<std::string> LogCapture::lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
}

bool LogCapture::contains(const std::string& text) const { return count(text) > 0; }

std::size_t LogCapture::count(const std::string& text) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::size_t n = 0;
    for (const auto& line : lines_) {
        if (line.find(text) != std::string::npos) {
            ++n;
        }
    }
    return n;
}

void LogCapture::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.clear();
}

}  // namespace solen::test
