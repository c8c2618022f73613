#pragma once

#include <string>
#include <string_view>

namespace solen {

// Texts and numbers written into JavaScript statements for a page. Thread-safe (no state).
namespace JavaScriptText {

// `text` as one single-quoted literal that reads back as the same text: the backslash, both
// quotes, line breaks, U+2028, U+2029 and every other control character are escaped, and invalid
// UTF-8 becomes U+FFFD, so no text can end the literal or the statement around it.
std::string singleQuoted(std::string_view text);
// Appends the same to `out`.
void appendSingleQuoted(std::string& out, std::string_view text);

// The shortest decimal text that reads back to the same double; a whole number ends in ".0"
// (320.0), exponent form only from 1e16 up (1e+16); NaN and the infinities are written 0.0.
std::string number(double value);
void appendNumber(std::string& out, double value);

}  // namespace JavaScriptText

}  // namespace solen
