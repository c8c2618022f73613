#include "Platform/Foundation/StringTrimming.h"

namespace solen::platform {
namespace {

// Length of the UTF-8 white space or line break at `text[at]`, or 0.
std::size_t spaceLengthAt(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const std::size_t left = text.size() - at;
    const unsigned char c = byte(at);
    if (c == ' ' || (c >= 0x09 && c <= 0x0D)) {
        return 1;
    }
    if (c == 0xC2 && left >= 2 && (byte(at + 1) == 0x85 || byte(at + 1) == 0xA0)) {
        return 2;  // U+0085, U+00A0
    }
    if (left >= 3) {
        const unsigned char c1 = byte(at + 1);
        const unsigned char c2 = byte(at + 2);
        if (c == 0xE1 && c1 == 0x9A && c2 == 0x80) {
            return 3;  // U+1680
        }
        if (c == 0xE2 && c1 == 0x80 && ((c2 >= 0x80 && c2 <= 0x8A) || c2 == 0xA8 || c2 == 0xA9 || c2 == 0xAF)) {
            return 3;  // U+2000...U+200A, U+2028, U+2029, U+202F
        }
        if (c == 0xE2 && c1 == 0x81 && c2 == 0x9F) {
            return 3;  // U+205F
        }
        if (c == 0xE3 && c1 == 0x80 && c2 == 0x80) {
            return 3;  // U+3000
        }
    }
    return 0;
}

}  // namespace

std::string_view trimmingWhitespaceAndNewlines(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t length = spaceLengthAt(text, begin);
        if (length == 0) {
            break;
        }
        begin += length;
    }
    std::size_t end = text.size();
    while (end > begin) {
        // The last character starts at most three bytes back (the spaces are at most 3 bytes).
        std::size_t found = 0;
        for (std::size_t length = 1; length <= 3 && length <= end - begin; ++length) {
            if (spaceLengthAt(text, end - length) == length) {
                found = length;
                break;
            }
        }
        if (found == 0) {
            break;
        }
        end -= found;
    }
    return text.substr(begin, end - begin);
}

}  // namespace solen::platform
