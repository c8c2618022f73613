#include <solen/ui/Image.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace solen::platform {

namespace {

struct Dimensions {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

std::uint32_t bigEndian16(const std::uint8_t* p) { return (std::uint32_t{p[0]} << 8) | p[1]; }
std::uint32_t bigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}
std::uint32_t littleEndian16(const std::uint8_t* p) { return (std::uint32_t{p[1]} << 8) | p[0]; }

bool startsWith(const Image::Data& data, std::string_view prefix) {
    return data.size() >= prefix.size() && std::memcmp(data.data(), prefix.data(), prefix.size()) == 0;
}

// Signature, then the IHDR chunk: length (4), type (4), width (4), height (4).
std::optional<Dimensions> pngSize(const Image::Data& data) {
    if (!startsWith(data, std::string_view("\x89PNG\r\n\x1a\n", 8)) || data.size() < 24) return std::nullopt;
    if (std::memcmp(data.data() + 12, "IHDR", 4) != 0) return std::nullopt;
    return Dimensions{bigEndian32(data.data() + 16), bigEndian32(data.data() + 20)};
}

// "GIF87a" or "GIF89a", then the logical screen width and height (little-endian).
std::optional<Dimensions> gifSize(const Image::Data& data) {
    if ((!startsWith(data, "GIF87a") && !startsWith(data, "GIF89a")) || data.size() < 10) return std::nullopt;
    return Dimensions{littleEndian16(data.data() + 6), littleEndian16(data.data() + 8)};
}

// Walks the marker segments up to the first start-of-frame, which holds height and width.
std::optional<Dimensions> jpegSize(const Image::Data& data) {
    if (data.size() < 4 || data[0] != 0xFF || data[1] != 0xD8) return std::nullopt;
    std::size_t offset = 2;
    while (offset + 4 <= data.size()) {
        if (data[offset] != 0xFF) return std::nullopt;
        const std::uint8_t marker = data[offset + 1];
        if (marker == 0xFF) {  // fill byte
            ++offset;
            continue;
        }
        if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length
            offset += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) return std::nullopt;  // end of image or scan before a frame
        const std::uint32_t length = bigEndian16(data.data() + offset + 2);
        if (length < 2) return std::nullopt;
        const bool startOfFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (startOfFrame) {
            if (length < 7 || offset + 9 > data.size()) return std::nullopt;
            return Dimensions{bigEndian16(data.data() + offset + 7), bigEndian16(data.data() + offset + 5)};
        }
        offset += 2 + length;
    }
    return std::nullopt;
}

}  // namespace

std::optional<Image> Image::fromData(Data data) {
    std::optional<Dimensions> size;
    Format format = Format::png;
    if ((size = pngSize(data))) {
        format = Format::png;
    } else if ((size = jpegSize(data))) {
        format = Format::jpeg;
    } else if ((size = gifSize(data))) {
        format = Format::gif;
    }
    if (!size || size->width == 0 || size->height == 0) return std::nullopt;
    return Image(format, size->width, size->height, std::move(data));
}

}  // namespace solen::platform
