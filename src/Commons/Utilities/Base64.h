#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace solen {

// Standard base64 (RFC 4648 alphabet A-Z a-z 0-9 + /). Pure functions, callable from any thread.

// `bytes` encoded, padded with "=" to a multiple of four characters and without line breaks. Any
// bytes are accepted; empty input gives "".
std::string base64Encode(std::string_view bytes);

// The bytes of `text`, or none for an invalid text. Strict: the length is a multiple of four, "="
// appears only as one or two final pad characters, and any other character outside the alphabet
// (white space and line breaks included) makes the text invalid.
std::optional<std::string> base64Decode(std::string_view text);

}  // namespace solen
