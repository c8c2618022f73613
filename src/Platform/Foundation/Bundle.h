#pragma once

#include <nlohmann/json.hpp>

#include <mutex>
#include <optional>
#include <string>

namespace solen::platform {

// The application's bundle: its info dictionary (version, identifier, transport-security
// settings, ...). A Linux process has none until the host supplies one. Thread-safe; readers
// get copies.
class Bundle {
public:
    static Bundle& main();

    // None when the bundle has no info dictionary.
    std::optional<nlohmann::ordered_json> infoDictionary() const;
    // A dictionary (JSON object) replaces the info dictionary; none removes it. Anything other
    // than an object is refused (returns false) and leaves the dictionary as it was.
    bool setInfoDictionary(std::optional<nlohmann::ordered_json> dictionary);

    // The value under `key`; none when there is no dictionary or no such key.
    std::optional<nlohmann::ordered_json> objectForInfoDictionaryKey(const std::string& key) const;
    // "CFBundleIdentifier" when it is text.
    std::optional<std::string> bundleIdentifier() const;

private:
    Bundle() = default;
    mutable std::mutex mutex_;
    std::optional<nlohmann::ordered_json> info_;
};

}  // namespace solen::platform
