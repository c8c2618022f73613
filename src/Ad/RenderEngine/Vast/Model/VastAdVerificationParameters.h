#pragma once

#include <optional>
#include <string>

namespace solen {

// The parameters text of a verification (VerificationParameters); built directly.
struct VastAdVerificationParameters {
    std::optional<std::string> data;

    bool operator==(const VastAdVerificationParameters&) const = default;
};

}  // namespace solen
