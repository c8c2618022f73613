#include "Platform/Foundation/CharacterSet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace solen::platform {
namespace {

// The verdict of reading the text scalar by scalar.
bool readsAsScalars(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        if (!nextUtf8Scalar(text, at)) {
            return false;
        }
    }
    return true;
}

// Well-formed and ill-formed sequences at the edges of the rules, each alone and placed at every
// offset of a longer ASCII or non-ASCII text, so that the block-wise check meets them at each
// position and across block boundaries.
TEST(CharacterSetTests, Utf8VerdictsOnTrickyInputs) {
    struct Case {
        std::string bytes;
        bool valid;
    };
    const std::vector<Case> cases = {
        {"\x7F", true},
        {"\xC2\x80", true},                 // U+0080, the first two-byte scalar
        {"\xDF\xBF", true},                 // U+07FF
        {"\xE0\xA0\x80", true},             // U+0800
        {"\xED\x9F\xBF", true},             // U+D7FF, below the surrogates
        {"\xEE\x80\x80", true},             // U+E000, above them
        {"\xEF\xBF\xBF", true},             // U+FFFF
        {"\xF0\x90\x80\x80", true},         // U+10000
        {"\xF4\x8F\xBF\xBF", true},         // U+10FFFF, the last scalar
        {std::string("\0", 1), true},
        {"\xC0\x80", false},                // overlong NUL
        {"\xC1\xBF", false},                // overlong U+007F
        {"\xE0\x9F\xBF", false},            // overlong U+07FF
        {"\xF0\x8F\xBF\xBF", false},        // overlong U+FFFF
        {"\xED\xA0\x80", false},            // U+D800, a surrogate
        {"\xED\xBF\xBF", false},            // U+DFFF
        {"\xED\xA0\x80\xED\xB0\x80", false},  // a surrogate pair written out
        {"\xF4\x90\x80\x80", false},        // U+110000
        {"\xF5\x80\x80\x80", false},
        {"\xF8\x88\x80\x80\x80", false},    // five bytes
        {"\xFF", false},
        {"\xFE", false},
        {"\x80", false},                    // a continuation byte alone
        {"\xBF\xBF", false},
        {"\xC2", false},                    // truncated
        {"\xE0\xA0", false},
        {"\xF0\x90\x80", false},
        {"\xC2\x41", false},                // a lead byte followed by ASCII
        {"\xE0\xA0\xC0", false},
    };
    for (const auto& [bytes, valid] : cases) {
        EXPECT_EQ(isValidUtf8(bytes), valid) << testing::PrintToString(bytes);
        for (const std::string filler : {"a", "\xC3\xA9"}) {
            for (std::size_t at = 0; at <= 70; ++at) {
                std::string text;
                for (std::size_t i = 0; i < at; i += filler.size()) {
                    text += filler;
                }
                text += bytes;
                ASSERT_EQ(isValidUtf8(text), valid) << testing::PrintToString(bytes) << " ending the text at " << at;
                for (std::size_t i = 0; i < 80; i += filler.size()) {
                    text += filler;
                }
                ASSERT_EQ(isValidUtf8(text), valid) << testing::PrintToString(bytes) << " at " << at;
            }
        }
    }
}

// Every sequence of two bytes, and three- and four-byte ones around each boundary of the rules,
// against the scalar-by-scalar reading.
TEST(CharacterSetTests, Utf8VerdictsMatchTheScalarReading) {
    std::vector<std::string> texts;
    for (int first = 0; first < 256; ++first) {
        for (int second = 0; second < 256; ++second) {
            texts.push_back({static_cast<char>(first), static_cast<char>(second)});
        }
    }
    const std::vector<int> leads = {0xE0, 0xE1, 0xEC, 0xED, 0xEE, 0xEF, 0xF0, 0xF1, 0xF3, 0xF4, 0xF5};
    const std::vector<int> continuations = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xFF};
    for (const int lead : leads) {
        for (const int second : continuations) {
            for (const int third : continuations) {
                texts.push_back({static_cast<char>(lead), static_cast<char>(second), static_cast<char>(third)});
                for (const int fourth : continuations) {
                    texts.push_back({static_cast<char>(lead), static_cast<char>(second), static_cast<char>(third),
                                     static_cast<char>(fourth)});
                }
            }
        }
    }
    for (const auto& text : texts) {
        ASSERT_EQ(isValidUtf8(text), readsAsScalars(text)) << testing::PrintToString(text);
        const std::string padded = std::string(61, 'x') + text + "tail";
        ASSERT_EQ(isValidUtf8(padded), readsAsScalars(padded)) << testing::PrintToString(text);
    }
}

}  // namespace
}  // namespace solen::platform
