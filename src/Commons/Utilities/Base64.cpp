#include "Commons/Utilities/Base64.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace solen {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int sextet(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

// Every 12-bit value as its two characters, so that three bytes take two look-ups.
struct CharacterPairs {
    char pairs[4096][2];
    constexpr CharacterPairs() : pairs() {
        for (int value = 0; value < 4096; ++value) {
            pairs[value][0] = kAlphabet[value >> 6];
            pairs[value][1] = kAlphabet[value & 0x3F];
        }
    }
};
constexpr CharacterPairs kPairs;

}  // namespace

std::string base64Encode(std::string_view bytes) {
    const auto byte = [&bytes](std::size_t at) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])); };
    std::string text((bytes.size() + 2) / 3 * 4, '=');
    char* out = text.data();
    std::size_t at = 0;
    // Six bytes, eight characters, one store at a time; the six are read as the top of one
    // eight-byte load while eight remain.
    for (; at + 6 <= bytes.size(); at += 6, out += 8) {
        std::uint64_t group;
        if (at + 8 <= bytes.size()) {
            std::memcpy(&group, bytes.data() + at, sizeof group);
            if constexpr (std::endian::native == std::endian::little) {
                group = __builtin_bswap64(group);
            }
            group >>= 16;
        } else {
            group = std::uint64_t{byte(at)} << 40 | std::uint64_t{byte(at + 1)} << 32 | std::uint64_t{byte(at + 2)} << 24 |
                    std::uint64_t{byte(at + 3)} << 16 | std::uint64_t{byte(at + 4)} << 8 | byte(at + 5);
        }
        char characters[8];
        std::memcpy(characters, kPairs.pairs[group >> 36], 2);
        std::memcpy(characters + 2, kPairs.pairs[group >> 24 & 0xFFF], 2);
        std::memcpy(characters + 4, kPairs.pairs[group >> 12 & 0xFFF], 2);
        std::memcpy(characters + 6, kPairs.pairs[group & 0xFFF], 2);
        std::memcpy(out, characters, sizeof characters);
    }
    for (; at + 3 <= bytes.size(); at += 3, out += 4) {
        const std::uint32_t group = byte(at) << 16 | byte(at + 1) << 8 | byte(at + 2);
        std::memcpy(out, kPairs.pairs[group >> 12], 2);
        std::memcpy(out + 2, kPairs.pairs[group & 0xFFF], 2);
    }
    // One or two bytes left: two or three characters, the rest stays padding.
    if (const std::size_t rest = bytes.size() - at; rest > 0) {
        const std::uint32_t group = byte(at) << 16 | (rest == 2 ? byte(at + 1) << 8 : 0);
        *out++ = kAlphabet[group >> 18 & 0x3F];
        *out++ = kAlphabet[group >> 12 & 0x3F];
        if (rest == 2) {
            *out = kAlphabet[group >> 6 & 0x3F];
        }
    }
    return text;
}

std::optional<std::string> base64Decode(std::string_view text) {
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    std::size_t padding = 0;
    while (padding < 2 && padding < text.size() && text[text.size() - 1 - padding] == '=') {
        ++padding;
    }
    std::string out;
    out.reserve(text.size() / 4 * 3);
    unsigned buffer = 0;
    int bits = 0;
    for (std::size_t i = 0; i < text.size() - padding; ++i) {
        const int value = sextet(text[i]);
        if (value < 0) {
            return std::nullopt;
        }
        buffer = (buffer << 6) | static_cast<unsigned>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<char>((buffer >> bits) & 0xFF));
        }
    }
    return out;
}

}  // namespace solen
