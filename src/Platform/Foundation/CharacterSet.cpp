#include "Platform/Foundation/CharacterSet.h"

#include "Platform/Foundation/SimdjsonKernels.h"

#include <simdjson.h>

#include <cstdint>
#include <cstring>

namespace solen::platform {

namespace {

constexpr std::string_view kAlphanumerics =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

CharacterSet alphanumericsPlus(std::string_view extra) {
    return CharacterSet(kAlphanumerics).adding(extra);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

CharacterSet::CharacterSet(std::string_view characters) {
    for (const char c : characters) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 128) bits_.set(byte);
    }
}

CharacterSet CharacterSet::adding(std::string_view characters) const {
    CharacterSet result = *this;
    result.bits_ |= CharacterSet(characters).bits_;
    return result;
}

CharacterSet CharacterSet::removing(std::string_view characters) const {
    CharacterSet result = *this;
    result.bits_ &= ~CharacterSet(characters).bits_;
    return result;
}

const CharacterSet& CharacterSet::urlQueryAllowed() {
    static const CharacterSet set = alphanumericsPlus("-._~!$&'()*+,;=:@/?");
    return set;
}

const CharacterSet& CharacterSet::urlFragmentAllowed() {
    static const CharacterSet set = alphanumericsPlus("-._~!$&'()*+,;=:@/?");
    return set;
}

const CharacterSet& CharacterSet::urlHostAllowed() {
    static const CharacterSet set = alphanumericsPlus("-._~!$&'()*+,;=:[]");
    return set;
}

const CharacterSet& CharacterSet::urlPathAllowed() {
    static const CharacterSet set = alphanumericsPlus("-._~!$&'()*+,=:@/");
    return set;
}

const CharacterSet& CharacterSet::urlUserAllowed() {
    static const CharacterSet set = alphanumericsPlus("-._~!$&'()*+,;=");
    return set;
}

const CharacterSet& CharacterSet::urlPasswordAllowed() {
    static const CharacterSet set = alphanumericsPlus("-._~!$&'()*+,;=");
    return set;
}

const CharacterSet& CharacterSet::urlQueryItemAllowed() {
    static const CharacterSet set = urlQueryAllowed().removing("&=+#");
    return set;
}

std::string addingPercentEncoding(std::string_view text, const CharacterSet& allowed) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (allowed.contains(byte)) {
            result.push_back(c);
        } else {
            result.push_back('%');
            result.push_back(kHex[byte >> 4]);
            result.push_back(kHex[byte & 0x0F]);
        }
    }
    return result;
}

std::optional<std::string> removingPercentEncoding(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            result.push_back(text[i]);
            continue;
        }
        if (i + 2 >= text.size()) {
            return std::nullopt;
        }
        const int high = hexValue(text[i + 1]);
        const int low = hexValue(text[i + 2]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        result.push_back(static_cast<char>((high << 4) | low));
        i += 2;
    }
    if (!isValidUtf8(result)) {
        return std::nullopt;
    }
    return result;
}

std::optional<char32_t> nextUtf8Scalar(std::string_view text, std::size_t& position) {
    const auto lead = static_cast<unsigned char>(text[position]);
    if (lead < 0x80) {
        ++position;
        return lead;
    }
    std::size_t length = 0;
    std::uint32_t codePoint = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        codePoint = lead & 0x07;
    }
    const auto invalid = [&] {
        ++position;
        return std::optional<char32_t>();
    };
    if (length == 0 || position + length > text.size()) {
        return invalid();
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[position + k]);
        if ((next & 0xC0) != 0x80) {
            return invalid();
        }
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    const std::uint32_t minimum = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return invalid();
    }
    position += length;
    return static_cast<char32_t>(codePoint);
}

std::string repairingUtf8(std::string text) {
    if (isValidUtf8(text)) {
        return text;
    }
    std::string result;
    result.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        if (nextUtf8Scalar(text, i)) {
            result.append(text, start, i - start);
        } else {
            result.append("\xEF\xBF\xBD");  // U+FFFD
        }
    }
    return result;
}

bool isValidUtf8(std::string_view text) {
    // A short text is most often ASCII, which is told in a few word loads; the validator's set-up
    // would cost more than that.
    if (text.size() < 64) {
        std::size_t at = 0;
        std::uint64_t high = 0;
        for (; at + 8 <= text.size(); at += 8) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + at, sizeof word);
            high |= word;
        }
        for (; at < text.size(); ++at) {
            high |= static_cast<unsigned char>(text[at]);
        }
        if ((high & 0x8080808080808080u) == 0) {
            return true;
        }
    }
    return simdjsonKernels().validate_utf8(text.data(), text.size());
}

}  // namespace solen::platform
