#pragma once

#include <solen/SolenExport.h>
#include <solen/SolenInitializationError.h>

#include <cstdint>
#include <optional>
#include <string>

namespace solen {

// The error object the SDK hands to the application's initialisation completion.
class SOLEN_EXPORT SolenSdkError {
public:
    static constexpr const char* domain = "ai.solen.SolenSDK";

    // An initialisation error with the given message, or the case's standard one when none or an
    // empty one is given.
    static SolenSdkError initializationError(SolenInitializationError code,
                                             std::optional<std::string> message = std::nullopt);

    const char* errorDomain() const { return domain; }
    std::int64_t code() const { return code_; }
    const std::string& localizedDescription() const { return localizedDescription_; }

    bool operator==(const SolenSdkError&) const = default;

private:
    SolenSdkError(std::int64_t code, std::string description)
        : code_(code), localizedDescription_(std::move(description)) {}

    std::int64_t code_;
    std::string localizedDescription_;
};

}  // namespace solen
