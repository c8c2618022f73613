#pragma once

#include <solen/SolenExport.h>

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace solen::platform {

// An image made from encoded bytes. PNG, JPEG and GIF are recognised from their headers, which
// also give the pixel size; the pixels themselves are not decoded.
class SOLEN_EXPORT Image {
public:
    enum class Format { png, jpeg, gif };
    using Data = std::vector<std::uint8_t>;

    // Nothing when the bytes are not one of the formats, or their header is cut short or names
    // a zero width or height.
    static std::optional<Image> fromData(Data data);

    Format format() const { return format_; }
    std::uint32_t pixelWidth() const { return width_; }
    std::uint32_t pixelHeight() const { return height_; }
    const Data& data() const { return data_; }

private:
    Image(Format format, std::uint32_t width, std::uint32_t height, Data data)
        : format_(format), width_(width), height_(height), data_(std::move(data)) {}

    Format format_;
    std::uint32_t width_;
    std::uint32_t height_;
    Data data_;
};

}  // namespace solen::platform
