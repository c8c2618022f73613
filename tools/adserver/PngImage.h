#pragma once

#include <cstdint>
#include <string>

namespace solen::adserver {

// A PNG file of one colour, made here so that the service can serve pictures of any size without
// files of its own: 8-bit RGB, stored (uncompressed) deflate blocks, checksums as the format
// wants them. Width and height are 1 to 4096.
struct PngImage {
    static constexpr std::uint32_t maxSide = 4096;

    // The file's bytes; `rgb` is 0xRRGGBB. Throws std::invalid_argument for a side out of range.
    static std::string make(std::uint32_t width, std::uint32_t height, std::uint32_t rgb);
};

}  // namespace solen::adserver
