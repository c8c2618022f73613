#pragma once

#include <string>
#include <string_view>

namespace solen {

// Standard base64 (alphabet A-Z a-z 0-9 + /) of `bytes`, padded with "=" to a multiple of four
// characters and without line breaks. Any bytes are accepted; empty input gives "". Pure, callable
// from any thread.
std::string base64Encode(std::string_view bytes);

}  // namespace solen
