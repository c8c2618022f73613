#include "Ad/RenderEngine/Vast/Model/VastAttributes.h"

#include "Commons/Utilities/StringBoolValue.h"
#include "Platform/Foundation/StringTrimming.h"

#include <charconv>
#include <cstddef>
#include <cstdlib>
#include <locale.h>
#include <utility>

namespace solen {

namespace {

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

}  // namespace

std::optional<std::string> VastAttributes::text(const Map& attributes, std::string_view name) {
    const std::optional<std::string_view> value = attributes.value(name);
    if (!value) {
        return std::nullopt;
    }
    return std::string(*value);
}

std::optional<bool> VastAttributes::boolean(std::string_view text) { return boolValue(text); }

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

namespace {

std::optional<platform::URL> repairedAddress(std::string_view text) {
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
    std::string encoded;
    // Room for a few escapes, so that a macro or two do not make the text grow again.
    encoded.reserve(text.size() + 16);
    encoded.assign(text.substr(0, authorityEnd));
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
    return changed ? platform::URL::parseOwned(std::move(encoded)) : std::nullopt;
}

}  // namespace

std::optional<platform::URL> VastAttributes::address(std::string_view text) {
    // One result object on every path, so the parsed URL is returned without being moved.
    std::optional<platform::URL> url = platform::URL::parse(text);
    if (!url) {
        url = repairedAddress(text);
    }
    return url;
}

std::string_view VastAttributes::trimmed(std::string_view text) {
    return platform::trimmingWhitespaceAndNewlines(text);
}

}  // namespace solen
