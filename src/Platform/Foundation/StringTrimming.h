#pragma once

#include <string_view>

namespace solen::platform {

// The text without leading and trailing white space and line breaks (the Unicode space
// separators, tab, line feed, vertical tab, form feed, carriage return, U+0085, U+2028, U+2029),
// read as UTF-8. Bytes that are not such characters are kept as they are.
std::string_view trimmingWhitespaceAndNewlines(std::string_view text);

}  // namespace solen::platform
