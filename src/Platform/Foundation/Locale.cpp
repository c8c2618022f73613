#include "Platform/Foundation/Locale.h"

#include <cctype>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace solen::platform {

namespace {

std::mutex overrideMutex;

std::optional<std::string>& overrideIdentifier() {
    static auto& identifier = *new std::optional<std::string>;
    return identifier;
}

const char* const posixIdentifier = "en_US_POSIX";

std::vector<std::string> parts(const std::string& identifier) {
    std::vector<std::string> result;
    std::string current;
    for (char c : identifier) {
        if (c == '_' || c == '-') {
            result.push_back(current);
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    result.push_back(current);
    return result;
}

}  // namespace

std::string Locale::identifierFromPosixName(const std::string& name) {
    std::string base = name.substr(0, name.find_first_of(".@"));
    if (base.empty() || base == "C" || base == "POSIX") {
        return posixIdentifier;
    }
    return base;
}

Locale Locale::current() {
    {
        std::lock_guard lock(overrideMutex);
        if (const auto& identifier = overrideIdentifier()) {
            return Locale(*identifier);
        }
    }
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        // getenv is not raced here: the SDK never changes its environment.
        const char* value = std::getenv(variable);
        if (value && *value) {
            return Locale(identifierFromPosixName(value));
        }
    }
    return Locale(posixIdentifier);
}

void Locale::setCurrentOverride(std::optional<std::string> identifier) {
    std::lock_guard lock(overrideMutex);
    overrideIdentifier() = std::move(identifier);
}

std::optional<std::string> Locale::languageCode() const {
    const std::string language = parts(identifier_).front();
    if (language.empty()) {
        return std::nullopt;
    }
    return language;
}

std::optional<std::string> Locale::regionCode() const {
    const std::vector<std::string> p = parts(identifier_);
    auto all = [](const std::string& text, int (*test)(int)) {
        for (char c : text) {
            if (!test(static_cast<unsigned char>(c))) {
                return false;
            }
        }
        return true;
    };
    // "zh_Hans_CN": a four-letter script may stand between language and region.
    std::size_t index = 1;
    if (index < p.size() && p[index].size() == 4 && all(p[index], std::isalpha)) {
        ++index;
    }
    if (index >= p.size()) {
        return std::nullopt;
    }
    const std::string& region = p[index];
    if ((region.size() == 2 && all(region, std::isalpha)) || (region.size() == 3 && all(region, std::isdigit))) {
        return region;
    }
    return std::nullopt;
}

}  // namespace solen::platform
