#pragma once

#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/XmlEventReader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace solen {

// The readings that the VAST record builders apply to attribute and element texts.
class VastAttributes {
public:
    // The attributes of one start tag; an attribute map converts to it.
    using Map = platform::XmlAttributeList;

    // The attribute's text, absent when the element does not carry it.
    static std::optional<std::string> text(const Map& attributes, std::string_view name);
    // "true"/"yes"/"1" and "false"/"no"/"0" in any letter case; anything else (or no attribute)
    // is absent.
    static std::optional<bool> boolean(const Map& attributes, std::string_view name);
    static std::optional<bool> boolean(std::string_view text);
    // A signed 64-bit integer written as the whole text (optional sign, digits only).
    static std::optional<std::int64_t> integer(const Map& attributes, std::string_view name);
    static std::optional<std::int64_t> integer(std::string_view text);
    // A decimal number as the C library reads it in the C locale (sign, fraction, exponent, the
    // hexadecimal form, infinity and NaN names), written as the whole text with nothing around it.
    static std::optional<double> decimal(std::string_view text);

    // An address made from the text; absent when the text is not a valid URL. Characters that a URL
    // may not hold (blanks, brackets, braces, non-ASCII, ...) after the host of an absolute address
    // are percent-encoded first, so "https://t.example/e?c=[ERRORCODE]" is kept as "https://t.example/e?c=%5BERRORCODE%5D".
    static std::optional<platform::URL> address(std::string_view text);

    // The text without leading and trailing white space and line breaks (ASCII and Unicode).
    static std::string_view trimmed(std::string_view text);
};

}  // namespace solen
