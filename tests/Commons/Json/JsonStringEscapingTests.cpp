#include "Commons/Json/JsonStringEscaping.h"
#include "Commons/Json/JsonReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace solen {
namespace {

std::size_t referencePrefix(std::string_view text, bool asciiOnly) {
    std::size_t at = 0;
    while (at < text.size()) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte < 0x20 || byte == '"' || byte == '\\' || (asciiOnly && byte >= 0x80)) {
            break;
        }
        ++at;
    }
    return at;
}

// Texts of every length up to 40 with one byte that may need care at every place, between plain
// ASCII or non-ASCII letters: the word and block checks meet it at each of their positions.
std::vector<std::string> texts() {
    std::vector<std::string> result = {"", "a", "\xC3\xA9", "\xF0\x9F\x98\x80 smile", std::string("nul\0x", 5)};
    for (int byte = 0; byte < 0x80; ++byte) {
        result.emplace_back(1, static_cast<char>(byte));
    }
    for (const std::string filler : {"a", "\xC3\xA9"}) {
        for (const std::string special : {"\"", "\\", "\x01", "\x1f", " ", "\x7f", "\xC3\xA9", "/"}) {
            for (std::size_t length = 1; length <= 40; ++length) {
                for (std::size_t at = 0; at < length; at += 3) {
                    std::string text;
                    while (text.size() < length) {
                        text += filler;
                    }
                    text.resize(length);
                    if (filler.size() > 1 && text.size() % 2 == 1) {
                        text.back() = 'a';  // keeps the text valid UTF-8
                    }
                    result.push_back(text.substr(0, at & ~std::size_t{1}) + special + text.substr(at & ~std::size_t{1}));
                }
            }
        }
    }
    return result;
}

TEST(JsonStringEscapingTests, PrefixesStopAtTheFirstByteThatNeedsCare) {
    for (const auto& text : texts()) {
        EXPECT_EQ(unescapedPrefix(text), referencePrefix(text, false)) << text;
        EXPECT_EQ(plainAsciiPrefix(text), referencePrefix(text, true)) << text;
    }
}

TEST(JsonStringEscapingTests, QuotedTextIsTheBytesOfTheLibrarysDump) {
    for (const auto& text : texts()) {
        std::string out = "prefix";
        appendQuotedJsonString(out, text);
        EXPECT_EQ(out, "prefix" + Json(text).dump()) << text;
    }
}

}  // namespace
}  // namespace solen
