#include "Platform/Device/OperatingSystem.h"

#include "Platform/Device/ProviderSlot.h"

#include <array>
#include <sys/utsname.h>

namespace solen::platform {

namespace {

std::string kernelVersion() {
    utsname name{};
    if (uname(&name) != 0) return {};
    return OperatingSystem::numericPrefix(name.release);
}

ProviderSlot<std::string>& versionSlot() {
    static auto& instance = *new ProviderSlot<std::string>(&kernelVersion);
    return instance;
}

}  // namespace

std::string OperatingSystem::version() { return versionSlot().read(); }

void OperatingSystem::setVersionProvider(std::function<std::string()> provider) {
    versionSlot().replace(std::move(provider));
}

std::string OperatingSystem::numericPrefix(std::string_view text) {
    std::size_t end = 0;
    bool lastWasDigit = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            lastWasDigit = true;
            end = i + 1;
        } else if (c == '.' && lastWasDigit) {
            lastWasDigit = false;
        } else {
            break;
        }
    }
    return std::string(text.substr(0, end));
}

bool OperatingSystem::isAtLeast(int major, int minor, int patch) {
    const std::string text = numericPrefix(version());
    std::array<long, 3> parts{0, 0, 0};
    std::size_t index = 0;
    for (const char c : text) {
        if (c == '.') {
            if (++index >= parts.size()) break;
        } else if (parts[index] < 1'000'000) {
            parts[index] = parts[index] * 10 + (c - '0');
        }
    }
    const std::array<long, 3> wanted{major, minor, patch};
    return parts >= wanted;
}

}  // namespace solen::platform
