#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace solen {

// Length of the leading part of `text` that can be written between quotes as it is and is ASCII
// (no byte below 0x20, no '"' or '\\', nothing from 0x80 up). Found several bytes at a time.
std::size_t plainAsciiPrefix(std::string_view text);
// Length of the leading part of `text` that can be written between quotes as it is (no byte below
// 0x20, no '"' or '\\'). Found several bytes at a time.
std::size_t unescapedPrefix(std::string_view text);

// Writes the escape the JSON library's dump writes for `byte`, one that cannot be written as it is
// (below 0x20, '"' or '\\'): "\b", "\t", "\n", "\f", "\r", "\"", "\\", or "\u00xx" (lower-case
// hex). Gives its length, at most six.
std::size_t writeJsonEscape(unsigned char byte, char* out);

// Appends `text` between quotes as the JSON library's dump writes it: the escapes above, every
// other byte as it is. `text` must be valid UTF-8.
void appendQuotedJsonString(std::string& out, std::string_view text);

}  // namespace solen
