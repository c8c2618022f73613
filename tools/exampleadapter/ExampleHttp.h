#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace example {

// The text member `key` of a settings object; none when the settings are absent, not an object,
// or the member is missing or not text.
std::optional<std::string> setting(const std::optional<nlohmann::ordered_json>& settings, const char* key);

// The status of a GET of `url` (five seconds at most); 0 when no answer came. Blocks the caller.
long getStatus(const std::string& url);

}  // namespace example
