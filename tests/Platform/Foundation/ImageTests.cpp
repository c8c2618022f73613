
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
    const auto png = Image::fromData(bytes(kPng));
    ASSERT_TRUE(png);
    EXPECT_EQ(png->format(), Image::Format::png);
    EXPECT_EQ(png->pixelWidth(), 258u);
    EXPECT_EQ(png->pixelHeight(), 3u);
    EXPECT_EQ(png->data().size(), kPng.size());

    const auto gif = Image::fromData(bytes(kGif));
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->format(), Image::Format::gif);
    EXPECT_EQ(gif->pixelWidth(), 261u);
    EXPECT_EQ(gif->pixelHeight(), 7u);

    const auto jpeg = Image::fromData(bytes(kJpeg));
    ASSERT_TRUE(jpeg);
    EXPECT_EQ(jpeg->format(), Image::Format::jpeg);
    EXPECT_EQ(jpeg->pixelWidth(), 32u);
    EXPECT_EQ(jpeg->pixelHeight(), 16u);
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
