#include "Commons/Configs/ServiceEndpoints.h"

#include "Commons/Utilities/Logger.h"

#include <cctype>
#include <cstdlib>
#include <mutex>

namespace solen {
namespace {

constexpr std::string_view globalConfigHost = "config.solen.ai";
constexpr std::string_view chinaConfigHost = "config.solen.cn";
constexpr std::string_view globalBidHost = "bid.solen.ai";
constexpr std::string_view chinaBidHost = "bid.solen.cn";
constexpr std::string_view analyticsHost = "analytics.solen.ai";

bool isChina(std::int64_t buildType) {
    if (buildType == 1) {
        return true;
    }
    if (buildType != 0) {
        Logger::applicationError("Unknown build type " + std::to_string(buildType) + ", using the global endpoints");
    }
    return false;
}

// Logs a rejected override once per distinct value.
void reportInvalidBase(const std::string& value) {
    static std::mutex mutex;
    static auto& lastReported = *new std::string;
    std::lock_guard<std::mutex> lock(mutex);
    if (value != lastReported) {
        lastReported = value;
        Logger::applicationError(std::string(ServiceEndpoints::baseUrlVariable) +
                                 " is not a scheme, host and optional port (\"http://127.0.0.1:8080\"): '" + value +
                                 "'; the built-in service hosts are used");
    }
}

std::optional<std::string> overrideBase() {
    const char* value = std::getenv(ServiceEndpoints::baseUrlVariable);
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    auto base = ServiceEndpoints::normalizedBase(value);
    if (!base) {
        reportInvalidBase(value);
    }
    return base;
}

bool isHostCharacter(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '-' || c == '.' || c == '_' || c == '~' || c == '%';
}

}  // namespace

std::optional<std::string> ServiceEndpoints::normalizedBase(std::string_view text) {
    const auto schemeEnd = text.find("://");
    if (schemeEnd == std::string_view::npos || schemeEnd == 0) {
        return std::nullopt;
    }
    const std::string_view scheme = text.substr(0, schemeEnd);
    if (!std::isalpha(static_cast<unsigned char>(scheme.front()))) {
        return std::nullopt;
    }
    for (const char c : scheme) {
        const auto u = static_cast<unsigned char>(c);
        if (!std::isalnum(u) && c != '+' && c != '-' && c != '.') {
            return std::nullopt;
        }
    }
    std::string_view rest = text.substr(schemeEnd + 3);
    if (!rest.empty() && rest.back() == '/') {
        rest.remove_suffix(1);
    }
    std::string_view host;
    std::string_view port;
    if (!rest.empty() && rest.front() == '[') {
        const auto close = rest.find(']');
        if (close == std::string_view::npos || close == 1) {
            return std::nullopt;
        }
        for (const char c : rest.substr(1, close - 1)) {
            if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.') {
                return std::nullopt;
            }
        }
        host = rest.substr(0, close + 1);
        rest.remove_prefix(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') {
                return std::nullopt;
            }
            port = rest.substr(1);
            if (port.empty()) {
                return std::nullopt;
            }
        }
    } else {
        const auto colon = rest.find(':');
        host = rest.substr(0, colon);
        if (colon != std::string_view::npos) {
            port = rest.substr(colon + 1);
            if (port.empty()) {
                return std::nullopt;
            }
        }
        if (host.empty()) {
            return std::nullopt;
        }
        for (const char c : host) {
            if (!isHostCharacter(c)) {
                return std::nullopt;
            }
        }
    }
    if (!port.empty()) {
        if (port.size() > 5) {
            return std::nullopt;
        }
        long number = 0;
        for (const char c : port) {
            if (!std::isdigit(static_cast<unsigned char>(c))) {
                return std::nullopt;
            }
            number = number * 10 + (c - '0');
        }
        if (number < 1 || number > 65535) {
            return std::nullopt;
        }
    }
    std::string base(scheme);
    base += "://";
    base += host;
    if (!port.empty()) {
        base += ':';
        base += port;
    }
    return base;
}

std::string ServiceEndpoints::endpoint(std::string_view builtInHost, const char* path) {
    if (auto base = overrideBase()) {
        return *base + path;
    }
    return "https://" + std::string(builtInHost) + path;
}

std::string ServiceEndpoints::configUrl(std::int64_t buildType) {
    return endpoint(isChina(buildType) ? chinaConfigHost : globalConfigHost, configPath);
}

std::string ServiceEndpoints::bidUrl(std::int64_t buildType) {
    return endpoint(isChina(buildType) ? chinaBidHost : globalBidHost, bidPath);
}

std::string ServiceEndpoints::analyticsUrl() { return endpoint(analyticsHost, analyticsPath); }

}  // namespace solen
