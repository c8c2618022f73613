#include "PngImage.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace solen::adserver {
namespace {

void putBigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

std::uint32_t crc32(const std::string& bytes, std::size_t from) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = from; i < bytes.size(); ++i) {
        crc = table[(crc ^ static_cast<unsigned char>(bytes[i])) & 0xFF] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFu;
}

// Appends a chunk: length, type, data, and the checksum over type and data.
void putChunk(std::string& out, const char* type, const std::string& data) {
    putBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.append(type, 4);
    out += data;
    putBigEndian(out, crc32(out, start));
}

// A zlib stream of stored blocks holding `raw`.
std::string storedZlib(const std::string& raw) {
    std::string out("\x78\x01", 2);
    std::size_t offset = 0;
    do {
        const std::size_t length = std::min<std::size_t>(raw.size() - offset, 0xFFFF);
        const bool last = offset + length == raw.size();
        out.push_back(static_cast<char>(last ? 1 : 0));
        for (const std::uint32_t half : {static_cast<std::uint32_t>(length), static_cast<std::uint32_t>(~length & 0xFFFF)}) {
            out.push_back(static_cast<char>(half & 0xFF));
            out.push_back(static_cast<char>(half >> 8));
        }
        out.append(raw, offset, length);
        offset += length;
    } while (offset < raw.size());
    std::uint32_t a = 1, b = 0;
    for (const char byte : raw) {
        a = (a + static_cast<unsigned char>(byte)) % 65521;
        b = (b + a) % 65521;
    }
    putBigEndian(out, (b << 16) | a);
    return out;
}

}  // namespace

std::string PngImage::make(std::uint32_t width, std::uint32_t height, std::uint32_t rgb) {
    if (width < 1 || width > maxSide || height < 1 || height > maxSide) {
        throw std::invalid_argument("PNG sides must be 1 to " + std::to_string(maxSide));
    }
    std::string header;
    putBigEndian(header, width);
    putBigEndian(header, height);
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB, deflate, no filter, no interlace

    std::string row(1 + 3 * static_cast<std::size_t>(width), '\0');  // filter byte 0, then pixels
    for (std::size_t x = 0; x < width; ++x) {
        row[1 + 3 * x] = static_cast<char>((rgb >> 16) & 0xFF);
        row[2 + 3 * x] = static_cast<char>((rgb >> 8) & 0xFF);
        row[3 + 3 * x] = static_cast<char>(rgb & 0xFF);
    }
    std::string raw;
    raw.reserve(row.size() * height);
    for (std::uint32_t y = 0; y < height; ++y) raw += row;

    std::string png("\x89PNG\r\n\x1a\n", 8);
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", storedZlib(raw));
    putChunk(png, "IEND", "");
    return png;
}

}  // namespace solen::adserver
