#include "Commons/Json/JsonTextWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <vector>

namespace solen {
namespace {

struct Inner {
    double number = 0;
    std::optional<Json> free;

    template <class Writer>
    void encodeMembers(Writer& writer) const {
        writer.set("number", number).set("free", free);
    }
    Json encode() const { return encodeRecord(*this, "inner"); }
};

// Every kind of member the writer knows.
struct Outer {
    std::string text;
    std::optional<std::string> absent;
    std::int64_t integer = 0;
    int small = 0;
    bool flag = false;
    std::vector<std::string> list;
    std::map<std::string, std::string> texts;
    std::map<std::string, Inner> records;
    Inner inner;

    template <class Writer>
    void encodeMembers(Writer& writer) const {
        writer.set("text", text)
            .set("absent", absent)
            .set("integer", integer)
            .set("small", small)
            .set("flag", flag)
            .set("list", list)
            .set("texts", texts)
            .set("records", records)
            .set("inner", inner);
    }
    Json encode() const { return encodeRecord(*this, {}); }
};

std::string written(const Outer& value) {
    std::string text;
    JsonTextWriter(text).writeRecord(value);
    return text;
}

// The text is exactly what dumping the value built by JsonWriter gives.
TEST(JsonTextWriterTests, WritesTheBytesOfTheDumpedValue) {
    std::vector<std::string> texts = {"",          "plain", "tab\tnew\nline\r", std::string("nul\0x", 5),
                                      "\x01\x1f\x7f", "\xF0\x9F\x98\x80 smile", "/slash/", std::string(300, 'k')};
    // Each byte that needs care at the start, middle and end of blocks of 8 and 16 bytes.
    for (const std::string special : {"\"", "\\", "\x1f", "\xC3\xA9"}) {
        for (const std::size_t at : {0, 7, 8, 15, 16, 23}) {
            texts.push_back(std::string(at, 'a') + special + std::string(24 - at, 'b'));
        }
    }
    const std::vector<double> numbers = {0.0,   -0.0,    50.0, 0.1, 1e300, -1e-7, 13.405, 52.52,
                                         3.0,   1.0 / 3, 1e21, 123456789012345.0};
    const std::vector<Json> freeForms = {
        Json::parse(R"({"a":[1,-2,3.5,"x\u0001"],"b":{"c":true,"d":18446744073709551615},"e":"\u00e9"})"),
        Json::array(), Json::object(), Json("text"), Json(7)};
    for (const auto& text : texts) {
        for (std::size_t n = 0; n < numbers.size(); ++n) {
            Outer value;
            value.text = text;
            value.integer = n % 2 ? std::numeric_limits<std::int64_t>::min() : std::numeric_limits<std::int64_t>::max();
            value.small = -static_cast<int>(n);
            value.flag = n % 2 == 0;
            value.list = {text, "b"};
            value.texts = {{text, "v"}, {"k", text}};
            value.records = {{text, Inner{numbers[n], freeForms[n % freeForms.size()]}}, {"z", Inner{}}};
            value.inner = Inner{numbers[n], std::nullopt};
            EXPECT_EQ(written(value), value.encode().dump()) << value.encode().dump();
        }
    }
}

// A non-finite number fails the text with the key path of the number.
TEST(JsonTextWriterTests, NonFiniteNumberFailsWithItsKeyPath) {
    const double infinity = std::numeric_limits<double>::infinity();
    struct Case {
        Outer value;
        std::string path;
    };
    std::vector<Case> cases(3);
    cases[0].value.inner.number = infinity;
    cases[0].path = "inner.number";
    cases[1].value.records = {{"r", Inner{0, Json{{"x", Json::array({1, std::nan("")})}}}}};
    cases[1].path = "records.r.free.x[1]";
    cases[2].value.inner.free = Json::array({infinity});
    cases[2].path = "inner.free[0]";
    for (const auto& [value, path] : cases) {
        try {
            written(value);
            ADD_FAILURE() << path;
        } catch (const JsonEncodingError& error) {
            EXPECT_EQ(error.path(), path);
        }
    }
}

TEST(JsonTextWriterTests, TextThatIsNotUtf8FailsAsTheDumpDoes) {
    for (const std::string text : {"abcdefgh\xFF", "\xFF" "abcdefgh", "ab\xC3" "cdefghij", "abcdefghijklmnop\xFF",
                                   "ab\xC3" "cdefghijklmnopqrst"}) {
        Outer value;
        value.text = text;
        EXPECT_THROW(value.encode().dump(), Json::type_error);
        EXPECT_THROW(written(value), Json::type_error) << text;
    }
}

}  // namespace
}  // namespace solen
