#pragma once

#include <solen/SolenExport.h>

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>

namespace solen::platform {

// The platform's error object: a domain, a code, a readable description and extra information.
struct SOLEN_EXPORT Error {
    std::string domain;
    std::int64_t code = 0;
    std::string localizedDescription;
    std::optional<std::string> localizedFailureReason;
    std::optional<std::string> localizedRecoverySuggestion;
    nlohmann::ordered_json userInfo = nlohmann::ordered_json::object();

    friend bool operator==(const Error&, const Error&) = default;
};

}  // namespace solen::platform
