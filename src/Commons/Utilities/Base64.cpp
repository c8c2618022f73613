#include "Commons/Utilities/Base64.h"

#include <cstdint>

namespace solen {

std::string base64Encode(std::string_view bytes) {
    static constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const auto byte = [&bytes](std::size_t at) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])); };
    std::string text((bytes.size() + 2) / 3 * 4, '=');
    char* out = text.data();
    std::size_t at = 0;
    for (; at + 3 <= bytes.size(); at += 3) {
        const std::uint32_t group = byte(at) << 16 | byte(at + 1) << 8 | byte(at + 2);
        *out++ = alphabet[group >> 18 & 0x3F];
        *out++ = alphabet[group >> 12 & 0x3F];
        *out++ = alphabet[group >> 6 & 0x3F];
        *out++ = alphabet[group & 0x3F];
    }
    // One or two bytes left: two or three characters, the rest stays padding.
    if (const std::size_t rest = bytes.size() - at; rest > 0) {
        const std::uint32_t group = byte(at) << 16 | (rest == 2 ? byte(at + 1) << 8 : 0);
        *out++ = alphabet[group >> 18 & 0x3F];
        *out++ = alphabet[group >> 12 & 0x3F];
        if (rest == 2) {
            *out = alphabet[group >> 6 & 0x3F];
        }
    }
    return text;
}

}  // namespace solen
