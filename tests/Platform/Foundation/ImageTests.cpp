
#include <solen/ui/Image.h>

#include <gtest/gtest.h>

#include <string>

namespace solen::platform {
namespace {

using namespace std::string_literals;

Image::Data bytes(const std::string& text) { return Image::Data(text.begin(), text.end()); }

const std::string kPng = "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x01\x02\0\0\0\x03\x08\x06\0\0\0"s;
const std::string kGif = "GIF89a\x05\x01\x07\0\x80\0\0"s;
// Start of image, an APP0 segment, then a baseline frame of height 0x10 and width 0x20.
const std::string kJpeg = "\xff\xd8\xff\xe0\0\x04JF\xff\xc0\0\x11\x08\0\x10\0\x20\x03"s;

TEST(ImageRecognition, ReadsFormatAndPixelSizeFromTheHeader) {
    struct Case {
        const std::string& header;
        Image::Format format;
        unsigned width, height;
    };
    for (const Case& c : {Case{kPng, Image::Format::png, 258, 3}, Case{kGif, Image::Format::gif, 261, 7},
                          Case{kJpeg, Image::Format::jpeg, 32, 16}}) {
        const auto image = Image::fromData(bytes(c.header));
        ASSERT_TRUE(image) << c.width;
        EXPECT_EQ(image->format(), c.format);
        EXPECT_EQ(image->pixelWidth(), c.width);
        EXPECT_EQ(image->pixelHeight(), c.height);
        EXPECT_EQ(image->data().size(), c.header.size());
    }
}

TEST(ImageRecognition, RefusesOtherBytesAndCutOrDegenerateHeaders) {
    EXPECT_FALSE(Image::fromData({}));
    EXPECT_FALSE(Image::fromData(bytes("<html>not an image</html>")));
    for (std::size_t length = 0; length < kPng.size() - 8; ++length) {
        EXPECT_FALSE(Image::fromData(bytes(kPng.substr(0, length)))) << length;
    }
    for (std::size_t length = 0; length < kJpeg.size() - 2; ++length) {
        EXPECT_FALSE(Image::fromData(bytes(kJpeg.substr(0, length)))) << length;
    }
    EXPECT_FALSE(Image::fromData(bytes(kGif.substr(0, 9))));
    std::string zeroWidth = kGif;
    zeroWidth[6] = zeroWidth[7] = '\0';
    EXPECT_FALSE(Image::fromData(bytes(zeroWidth)));
    // A segment length pointing past the end, and one that would loop.
    EXPECT_FALSE(Image::fromData(bytes("\xff\xd8\xff\xe0\xff\xff"s)));
    EXPECT_FALSE(Image::fromData(bytes("\xff\xd8\xff\xe0\0\0\xff\xc0"s)));
}

}  // namespace
}  // namespace solen::platform
