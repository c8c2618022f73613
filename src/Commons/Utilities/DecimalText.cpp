#include "Commons/Utilities/DecimalText.h"

#include <charconv>
#include <cmath>
#include <string_view>

namespace solen::DecimalText {

void appendNumber(std::string& out, double value) {
    if (std::isnan(value)) {
        out += "nan";
        return;
    }
    if (std::isinf(value)) {
        out += value < 0 ? "-inf" : "inf";
        return;
    }
    char buffer[400];  // the longest fixed form below 1e16 with a shortest fraction fits easily
    const auto format = std::fabs(value) >= 1e16 ? std::chars_format::scientific : std::chars_format::fixed;
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, format);
    if (error != std::errc()) {
        end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;  // never longer than 24 characters
    }
    const std::string_view written(buffer, static_cast<std::size_t>(end - buffer));
    out += written;
    if (written.find_first_of(".e") == std::string_view::npos) {
        out += ".0";
    }
}

std::string number(double value) {
    std::string out;
    appendNumber(out, value);
    return out;
}

}  // namespace solen::DecimalText
