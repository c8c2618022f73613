#pragma once

#include <optional>
#include <string_view>

namespace solen {

// The SDK's one reading of a text as a Boolean, shared by the VAST attribute reader and the MRAID
// property records: "true", "yes" and "1" are true, "false", "no" and "0" false, letter case
// ignored; any other text (the empty one included) is no Boolean. Thread-safe (no state).
std::optional<bool> boolValue(std::string_view text);

}  // namespace solen
