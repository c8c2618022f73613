#include "DemoTimeline.h"

#include <cstdio>

namespace solen::demo {

DemoTimeline::DemoTimeline() : start_(Clock::now()), last_(start_) {}

void DemoTimeline::add(std::string source, std::string text) {
    const auto now = Clock::now();
    std::lock_guard lock(mutex_);
    entries_.push_back({std::chrono::duration<double, std::milli>(now - start_).count(), std::move(source), std::move(text)});
    last_ = now;
}

std::vector<DemoTimeline::Entry> DemoTimeline::entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

bool DemoTimeline::quietFor(std::chrono::milliseconds quiet) const {
    std::lock_guard lock(mutex_);
    return Clock::now() - last_ >= quiet;
}

void DemoTimeline::print(std::ostream& out) const {
    for (const Entry& entry : entries()) {
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "  +%8.1f ms  ", entry.atMs);
        out << stamp << entry.source << std::string(entry.source.size() < 8 ? 8 - entry.source.size() : 1, ' ')
            << entry.text << '\n';
    }
}

std::string DemoTimeline::withoutDate(const std::string& line) {
    const auto tag = line.find("[SolenSDK]");
    return tag == std::string::npos ? line : line.substr(tag);
}

}  // namespace solen::demo
