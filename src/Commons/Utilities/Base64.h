#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace solen {

// Standard base64 (RFC 4648 alphabet), strict as the platform's decoder without options: the
// length is a multiple of four, "=" appears only as one or two final pad characters, and any
// other character outside the alphabet (white space and line breaks included) makes the text
// invalid. Thread-safe.
namespace Base64 {

// The decoded bytes, or none for an invalid text.
std::optional<std::string> decode(std::string_view text);

}  // namespace Base64

}  // namespace solen
