#pragma once

#include <string>

namespace solen {

// Numbers as the SDK writes them in log lines and page statements: the shortest decimal text that
// reads back to the same double; a whole number ends in ".0" (2.0, 320.0), the exponent form is
// used only from 1e16 up (1e+16); not a number is "nan", the infinities "inf" and "-inf".
// Thread-safe (no state).
namespace DecimalText {

std::string number(double value);
// Appends the same to `out`.
void appendNumber(std::string& out, double value);

}  // namespace DecimalText

}  // namespace solen
