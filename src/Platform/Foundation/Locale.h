#pragma once

#include <optional>
#include <string>

namespace solen::platform {

// A locale identified the platform's way, "language[_Region]" (for example "en_US").
class Locale {
public:
    explicit Locale(std::string identifier) : identifier_(std::move(identifier)) {}

    // The user's locale: the override when one is set, otherwise taken from the environment
    // (LC_ALL, then LC_MESSAGES, then LANG). "de_DE.UTF-8@euro" gives "de_DE"; an unset, "C" or
    // "POSIX" environment gives "en_US_POSIX".
    static Locale current();
    // Replaces the environment's answer (host or tests); none restores it. Thread-safe.
    static void setCurrentOverride(std::optional<std::string> identifier);

    // Turns a POSIX locale name into an identifier as described for `current`.
    static std::string identifierFromPosixName(const std::string& name);

    const std::string& identifier() const { return identifier_; }
    // The part before the first "_" or "-"; none when it is empty.
    std::optional<std::string> languageCode() const;
    // The part after the language (and after a four-letter script, if any) when it is two
    // letters or three digits; none otherwise.
    std::optional<std::string> regionCode() const;

private:
    std::string identifier_;
};

}  // namespace solen::platform
