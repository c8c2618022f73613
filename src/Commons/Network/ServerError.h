#pragma once

#include "Commons/Json/JsonReader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace solen {

// The error body of a 4xx or 5xx answer: {"errors": ["text", ...]}. Other keys are ignored.
struct ServerError {
    std::optional<std::vector<std::string>> errors;

    static ServerError decode(const JsonReader& reader);
    // Nothing when the bytes are not a JSON object or "errors" is not a list of texts.
    static std::optional<ServerError> fromData(const std::vector<std::uint8_t>& data);

    // All error texts joined with no separator; nothing when there is no error text at all.
    std::optional<std::string> joinedMessage() const;
};

}  // namespace solen
