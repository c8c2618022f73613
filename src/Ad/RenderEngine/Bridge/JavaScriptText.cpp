#include "Ad/RenderEngine/Bridge/JavaScriptText.h"

#include "Commons/Utilities/DecimalText.h"

#include <cmath>
#include <cstdint>

namespace solen::JavaScriptText {

namespace {

constexpr char hexDigits[] = "0123456789abcdef";
constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD";

void appendUnicodeEscape(std::string& out, unsigned codeUnit) {
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) {
        out += hexDigits[(codeUnit >> shift) & 0xF];
    }
}

// Length of the well-formed UTF-8 sequence at the start of `text`, or 0 when it is not one
// (stray continuation byte, overlong form, surrogate, beyond U+10FFFF, cut short).
std::size_t validSequenceLength(std::string_view text, std::uint32_t& codePoint) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 0;
    std::uint32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, codePoint = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, codePoint = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, codePoint = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (std::size_t index = 1; index < length; ++index) {
        const auto byte = static_cast<unsigned char>(text[index]);
        if ((byte & 0xC0) != 0x80) {
            return 0;
        }
        codePoint = (codePoint << 6) | (byte & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return 0;
    }
    return length;
}

// Printable ASCII that stands for itself inside a single-quoted literal.
constexpr bool isPlainAscii(unsigned char byte) { return byte >= 0x20 && byte < 0x7F && byte != '\\' && byte != '\'' && byte != '"'; }

void appendEscapedAscii(std::string& out, unsigned char byte) {
    switch (byte) {
    case '\\': out += "\\\\"; break;
    case '\'': out += "\\'"; break;
    case '"': out += "\\\""; break;
    case '\n': out += "\\n"; break;
    case '\r': out += "\\r"; break;
    case '\t': out += "\\t"; break;
    default: appendUnicodeEscape(out, byte);
    }
}

}  // namespace

void appendSingleQuoted(std::string& out, std::string_view text) {
    out += '\'';
    std::size_t index = 0;
    while (index < text.size()) {
        // Runs of bytes that need nothing are copied in one go.
        const std::size_t runStart = index;
        while (index < text.size() && isPlainAscii(static_cast<unsigned char>(text[index]))) {
            ++index;
        }
        out.append(text.data() + runStart, index - runStart);
        if (index == text.size()) {
            break;
        }
        const auto byte = static_cast<unsigned char>(text[index]);
        if (byte < 0x80) {
            appendEscapedAscii(out, byte);
            ++index;
            continue;
        }
        std::uint32_t codePoint = 0;
        const std::size_t length = validSequenceLength(text.substr(index), codePoint);
        if (length == 0) {
            out += replacementCharacter;
            ++index;
        } else if (codePoint == 0x2028 || codePoint == 0x2029 || codePoint < 0xA0) {
            // Line and paragraph separators end a line in ES5 literals; C1 controls are escaped
            // like the C0 ones.
            appendUnicodeEscape(out, codePoint);
            index += length;
        } else {
            out.append(text.data() + index, length);
            index += length;
        }
    }
    out += '\'';
}

std::string singleQuoted(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    appendSingleQuoted(out, text);
    return out;
}

void appendNumber(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "0.0";
        return;
    }
    DecimalText::appendNumber(out, value);
}

std::string number(double value) {
    std::string out;
    appendNumber(out, value);
    return out;
}

}  // namespace solen::JavaScriptText
