#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"

#include <charconv>
#include <cstddef>
#include <cstdlib>
#include <locale.h>

namespace solen {

namespace {

char lowered(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowered(a[i]) != lowered(b[i])) {
            return false;
        }
    }
    return true;
}

bool isUnicodeSpace(char32_t c) {
    switch (c) {
        case 0x09: case 0x0A: case 0x0B: case 0x0C: case 0x0D: case 0x20:
        case 0x85: case 0xA0: case 0x1680: case 0x2028: case 0x2029: case 0x202F: case 0x205F:
        case 0x3000:
            return true;
        default:
            return c >= 0x2000 && c <= 0x200A;
    }
}

// Length of the UTF-8 sequence that starts at `i`, with its code point; 0 when malformed.
std::size_t decodeAt(std::string_view s, std::size_t i, char32_t& out) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        out = b0;
        return 1;
    }
    std::size_t length = b0 >= 0xF0 ? 4 : b0 >= 0xE0 ? 3 : b0 >= 0xC0 ? 2 : 0;
    if (length == 0 || i + length > s.size()) {
        return 0;
    }
    char32_t c = b0 & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            return 0;
        }
        c = (c << 6) | (b & 0x3F);
    }
    out = c;
    return length;
}

// Start of the UTF-8 sequence that ends just before `end`.
std::size_t sequenceStartBefore(std::string_view s, std::size_t end) {
    std::size_t i = end - 1;
    while (i > 0 && end - i < 4 && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) {
        --i;
    }
    return i;
}

}  // namespace

std::optional<std::string> VastAttributes::text(const Map& attributes, std::string_view name) {
    const auto it = attributes.find(std::string(name));
    if (it == attributes.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::optional<bool> VastAttributes::boolean(std::string_view text) {
    if (equalsIgnoringCase(text, "true") || equalsIgnoringCase(text, "yes") || text == "1") {
        return true;
    }
    if (equalsIgnoringCase(text, "false") || equalsIgnoringCase(text, "no") || text == "0") {
        return false;
    }
    return std::nullopt;
}

std::optional<bool> VastAttributes::boolean(const Map& attributes, std::string_view name) {
    const auto value = text(attributes, name);
    return value ? boolean(*value) : std::nullopt;
}

std::optional<std::int64_t> VastAttributes::integer(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return std::nullopt;
        }
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::int64_t> VastAttributes::integer(const Map& attributes, std::string_view name) {
    const auto value = text(attributes, name);
    return value ? integer(*value) : std::nullopt;
}

std::optional<double> VastAttributes::decimal(std::string_view text) {
    // strtod would skip leading blanks; the whole text has to be the number.
    if (text.empty() || isUnicodeSpace(static_cast<unsigned char>(text.front()))) {
        return std::nullopt;
    }
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (cLocale == static_cast<locale_t>(nullptr)) {
        return std::nullopt;
    }
    const std::string copy(text);
    char* end = nullptr;
    const double value = strtod_l(copy.c_str(), &end, cLocale);
    if (end != copy.c_str() + copy.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<platform::URL> VastAttributes::address(std::string_view text) {
    if (auto parsed = platform::URL::parse(text)) {
        return parsed;
    }
    // Ad servers write their macros raw ("?err=[ERRORCODE]&ts=[TIMESTAMP]"). Such characters are
    // not allowed in a URL, so they are percent-encoded after the authority, as a browser would do,
    // rather than losing the whole address.
    // Only absolute addresses ("scheme://host/...") are repaired; other text stays invalid.
    const std::size_t schemeEnd = text.find("://");
    if (schemeEnd == std::string_view::npos || schemeEnd == 0 || text.find_first_of("/?#") < schemeEnd) {
        return std::nullopt;
    }
    const std::size_t authorityEnd = text.find_first_of("/?#", schemeEnd + 3);
    if (authorityEnd == std::string_view::npos) {
        return std::nullopt;
    }
    static constexpr std::string_view unsafe = " \"<>[]{}|\\^`";
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string encoded(text.substr(0, authorityEnd));
    bool changed = false;
    for (std::size_t i = authorityEnd; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80 || unsafe.find(static_cast<char>(c)) != std::string_view::npos) {
            encoded.push_back('%');
            encoded.push_back(hex[c >> 4]);
            encoded.push_back(hex[c & 0x0F]);
            changed = true;
        } else {
            encoded.push_back(static_cast<char>(c));
        }
    }
    return changed ? platform::URL::parse(encoded) : std::nullopt;
}

std::string_view VastAttributes::trimmed(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        char32_t c = 0;
        const std::size_t length = decodeAt(text, begin, c);
        if (length == 0 || !isUnicodeSpace(c)) {
            break;
        }
        begin += length;
    }
    std::size_t end = text.size();
    while (end > begin) {
        const std::size_t start = sequenceStartBefore(text, end);
        char32_t c = 0;
        if (decodeAt(text, start, c) != end - start || !isUnicodeSpace(c)) {
            break;
        }
        end = start;
    }
    return text.substr(begin, end - begin);
}

}  // namespace solen
