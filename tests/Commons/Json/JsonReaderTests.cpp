#include "Commons/Json/JsonFields.h"
#include "Commons/Json/JsonReader.h"
#include "Commons/Json/JsonWriter.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace solen {
namespace {

struct Item {
    std::string id;
    std::optional<std::int64_t> count;
    static Item decode(const JsonReader& reader) {
        return Item{reader.require<std::string>("id"), reader.optional<std::int64_t>("count")};
    }
    Json encode() const { return JsonWriter().set("id", id).set("count", count).take(); }
};

std::string errorPath(const std::function<void()>& action) {
    try {
        action();
    } catch (const JsonDecodingError& error) {
        return error.path();
    }
    return "<no error>";
}

TEST(JsonReaderTests, ScalarsAreStrictlyTyped) {
    const Json doc = JsonReader::parse(R"({"a":10000,"b":10000.5,"c":"5","d":5.0,"e":true,"f":-3,
        "big":18446744073709551615,"huge":1e30,"n":null})");
    const JsonReader reader(doc);
    EXPECT_EQ(reader.require<std::int64_t>("d"), 5);
    EXPECT_EQ(reader.require<std::uint64_t>("big"), std::numeric_limits<std::uint64_t>::max());
    EXPECT_DOUBLE_EQ(reader.require<double>("huge"), 1e30);
    for (const char* key : {"b", "c", "e", "big", "huge"}) {
        EXPECT_THROW(reader.require<std::int64_t>(key), JsonDecodingError) << key;
    }
    EXPECT_THROW(reader.require<std::uint32_t>("f"), JsonDecodingError);
    EXPECT_THROW(reader.require<std::int8_t>("a"), JsonDecodingError);
    EXPECT_THROW(reader.require<bool>("a"), JsonDecodingError);
    EXPECT_THROW(reader.require<bool>("c"), JsonDecodingError);
    EXPECT_THROW(reader.require<std::string>("a"), JsonDecodingError);
    EXPECT_THROW(reader.require<std::string>("n"), JsonDecodingError);
    EXPECT_EQ(reader.optional<std::string>("n"), std::nullopt);
    EXPECT_EQ(reader.optional<std::string>("absent"), std::nullopt);
    EXPECT_THROW(reader.optional<std::string>("a"), JsonDecodingError);
}

TEST(JsonReaderTests, ErrorsCarryTheKeyPath) {
    const Json doc = JsonReader::parse(R"({"items":[{"id":"a"},{"id":"b","count":"x"}]})");
    const JsonReader reader(doc);
    EXPECT_EQ(errorPath([&] { reader.require<std::vector<Item>>("items"); }), "items[1].count");
    EXPECT_EQ(errorPath([&] { reader.require<std::vector<Item>>("missing"); }), "missing");
    const Json nested = JsonReader::parse(R"({"m":{"k":{"count":1}}})");
    EXPECT_EQ(errorPath([&] { JsonReader(nested).require<std::map<std::string, Item>>("m"); }), "m.k.id");
}

TEST(JsonReaderTests, ParseRefusesMalformedDeepAndNonFiniteInput) {
    EXPECT_THROW(JsonReader::parse("{"), JsonDecodingError);
    EXPECT_THROW(JsonReader::parse(""), JsonDecodingError);
    EXPECT_THROW(JsonReader::parse("[1e999]"), JsonDecodingError);
    EXPECT_THROW(JsonReader::parse(std::string(100000, '[')), JsonDecodingError);
    EXPECT_NO_THROW(JsonReader::parse(std::string(100, '[') + std::string(100, ']')));
}

// What a failure says: where, why, which kind and which type was expected.
std::string describe(const std::function<void()>& action) {
    try {
        action();
    } catch (const JsonDecodingError& error) {
        static const char* kinds[] = {"typeMismatch", "keyNotFound", "valueNotFound", "dataCorrupted"};
        return error.path() + " | " + error.reason() + " | " + kinds[static_cast<int>(error.kind())] + " | " +
               error.expectedType();
    }
    return "<no error>";
}

TEST(JsonReaderTests, FailuresNameTheirKindAndExpectedType) {
    const JsonDocument document = JsonDocument::parse(R"({"s":"x","n":null,"f":1.5,"big":1e30,"o":{"a":[1,"2"]}})");
    const JsonReader reader(document);
    const std::vector<std::pair<std::function<void()>, std::string>> cases = {
        {[&] { reader.require<std::string>("gone"); }, "gone | required key is missing | keyNotFound | string"},
        {[&] { reader.require<std::string>("n"); }, "n | expected a string, found null | valueNotFound | string"},
        {[&] { reader.require<bool>("s"); }, "s | expected a boolean, found string | typeMismatch | boolean"},
        {[&] { reader.require<std::int64_t>("f"); },
         "f | expected an integer, found a fractional number | dataCorrupted | "},
        {[&] { reader.require<std::int64_t>("big"); }, "big | integer out of range | dataCorrupted | "},
        {[&] { reader.require<std::vector<std::int64_t>>("s"); }, "s | expected an array, found string | typeMismatch | array"},
        {[&] { reader.require<Item>("o"); }, "o.id | required key is missing | keyNotFound | string"},
        {[&] { reader.at("o").require<std::vector<int>>("a"); },
         "o.a[1] | expected an integer, found string | typeMismatch | integer"},
        {[&] { reader.at("o").at("a").element(2); }, "o.a | index out of range | valueNotFound | "},
        {[&] { JsonReader(Json::parse(R"({"x":"y"})"), "base").require<int>("x"); },
         "base.x | expected an integer, found string | typeMismatch | integer"},
        {[] { JsonDocument::parse("{\"a\":}"); }, " | malformed JSON: The JSON document has an improper structure: "
                                                 "missing or superfluous commas, braces, missing keys, etc. | dataCorrupted | "},
    };
    for (const auto& [action, expected] : cases) {
        EXPECT_EQ(describe(action), expected);
    }
}

// The parse accepts and refuses what the reader always has, and reads a repeated key once, at its
// first place, with its last value; texts past the size whose parse buffers are reused (padded
// with whitespace here) are parsed into buffers of their own and follow the same rules.
TEST(JsonReaderTests, ParseKeepsItsAcceptanceRules) {
    const std::string padding(200000, ' ');
    const std::vector<std::pair<std::string, std::string>> accepted = {
        {"[18446744073709551616,-9223372036854775809,18446744073709551615,-0,1e-400]",
         "[1.8446744073709552e+19,-9.223372036854776e+18,18446744073709551615,0,0.0]"},
        {"\xEF\xBB\xBF {\"a\":1}", R"({"a":1})"},
        {std::string("{\"a\":\"x\"}\0trailing", 18), R"({"a":"x"})"},
        {R"({"a":1,"b":2,"a":{"c":3}})", R"({"a":{"c":3},"b":2})"},
        {R"("\ud83d\ude00\u0000")", "\"\xF0\x9F\x98\x80\\u0000\""},
        {std::string(256, '[') + std::string(256, ']'), std::string(256, '[') + std::string(256, ']')},
    };
    for (const auto& [text, expected] : accepted) {
        EXPECT_EQ(JsonReader::parse(text).dump(), expected) << text;
        EXPECT_EQ(JsonReader::parse(text + padding).dump(), expected) << text;
    }
    // The densest texts for the parse's slots and string store.
    for (const char* item : {"7", "\"\"", "[]", "{}", "-1.5e3", "null", "18446744073709551616"}) {
        std::string text = std::string("[") + item;
        for (int i = 0; i < 100000; ++i) {
            text += std::string(",") + item;
        }
        EXPECT_EQ(JsonReader::parse(text + "]").size(), 100001u) << item;
    }
    for (const std::string& text : {std::string(257, '[') + std::string(257, ']'), std::string(R"("\ud800")"),
                                   std::string("\"\xC3\x28\""), std::string("\"a\x01\""), std::string("[1,]"),
                                   std::string("01"), std::string("1e400"), std::string("\0{}", 3), std::string("{} x")}) {
        EXPECT_THROW(JsonReader::parse(text), JsonDecodingError) << text;
        EXPECT_THROW(JsonReader::parse(text + padding), JsonDecodingError) << text;
    }
}

// Objects past the size where keys are checked without an index: a repeated key still counts
// once with its last value, records read the last value, and failures keep their paths.
TEST(JsonReaderTests, LargeObjectsWithRepeatedKeys) {
    std::string text = R"({"id":"first","m":{)";
    for (int i = 0; i < 50000; ++i) {
        text += "\"k" + std::to_string(i % 40000) + R"(":{"id":"v)" + std::to_string(i) + "\"},";
    }
    text += R"("bad":{"count":1}},"id":"last"})";
    const JsonDocument document = JsonDocument::parse(text);
    const JsonReader reader(document);
    EXPECT_EQ(reader.require<std::string>("id"), "last");
    EXPECT_EQ(reader.at("m").keys().size(), 40001u);
    EXPECT_EQ(errorPath([&] { reader.require<std::map<std::string, Item>>("m"); }), "m.bad.id");

    const Json built = JsonReader::parse(text);
    EXPECT_EQ(built["m"].size(), 40001u);
    EXPECT_EQ(built["m"]["k7"]["id"], "v40007");
    EXPECT_EQ(built["m"].begin().key(), "k0");
    EXPECT_EQ(built.begin().key(), "id");
    EXPECT_EQ(built["id"], "last");
}

// Keys that are prefixes of each other, the empty key, and keys of the document alike to them in
// length and head or in everything but the bytes past the twelfth.
constexpr JsonKeys kAlikeKeys{"", "a", "ab", "abcd", "abcdefgh", "abcdefghijkl", "abcdefghijklm", "abcdefghijklmX", "n"};
using AlikeFields = JsonFields<kAlikeKeys>;

// Fields found in one pass read each key's last value, skip keys outside the table (however much
// they share with one inside it) and fail with the reader's own errors and paths.
TEST(JsonReaderTests, FieldsMatchTheirTableExactly) {
    const std::string text = R"({"x":{"abcdefghijklmZ":1,"abcdefghijk":2,"abc":3,"abcdefghijklmX":4,"abcde":5,"":6,)"
                             R"("a":7,"abcdefghijklmY":8,"abcd":9,"ab":10,"abcdefghijkl":11,"abcdefgh":12,)"
                             R"("abcdefghijklm":13,"a":14,"b":15,"n":null,"abcdefghijklmXY":16}})";
    const JsonDocument document = JsonDocument::parse(text);
    const JsonReader root(document);
    const JsonReader object = root.at("x");
    const AlikeFields fields(object);
    const std::vector<std::pair<std::size_t, std::int64_t>> expected = {
        {0, 6}, {1, 14}, {2, 10}, {3, 9}, {4, 12}, {5, 11}, {6, 13}, {7, 4}};
    for (const auto& [index, value] : expected) {
        EXPECT_EQ(fields.require<std::int64_t>(AlikeFields::Key(index)), value) << kAlikeKeys.name(index);
    }
    EXPECT_TRUE(fields.contains("n"));
    EXPECT_FALSE(fields.hasValue("n"));
    EXPECT_EQ(fields.optional<std::int64_t>("n"), std::nullopt);
    EXPECT_EQ(errorPath([&] { fields.require<std::string>("n"); }), "x.n");
    EXPECT_EQ(errorPath([&] { fields.require<std::string>("a"); }), "x.a");

    const JsonDocument sparse = JsonDocument::parse(R"({"x":{"abcdefghijklmXY":1,"abcdefghijkl0":2}})");
    const JsonReader sparseRoot(sparse);
    const JsonReader sparseObject = sparseRoot.at("x");
    const AlikeFields none(sparseObject);
    for (std::size_t index = 0; index < kAlikeKeys.size; ++index) {
        EXPECT_FALSE(none.contains(AlikeFields::Key(index))) << kAlikeKeys.name(index);
    }
    try {
        none.require<std::int64_t>("abcdefghijklmX");
        ADD_FAILURE() << "a missing key was read";
    } catch (const JsonDecodingError& error) {
        EXPECT_EQ(error.path(), "x.abcdefghijklmX");
        EXPECT_EQ(error.kind(), JsonDecodingError::Kind::keyNotFound);
        EXPECT_EQ(error.expectedType(), "integer");
    }
    EXPECT_EQ(errorPath([&] { none.at("a"); }), "x.a");
    EXPECT_EQ(errorPath([&] { AlikeFields{JsonReader(sparse).at("x").at("abcdefghijklmXY")}; }), "x.abcdefghijklmXY");
}

TEST(JsonWriterTests, LeavesOutEmptyOptionalsAndRefusesNonFiniteNumbers) {
    EXPECT_EQ((Item{"a", std::nullopt}.encode().dump()), R"({"id":"a"})");
    EXPECT_EQ((Item{"a", 3}.encode().dump()), R"({"id":"a","count":3})");

    Json free = Json::object();
    free["x"] = Json::array({1.0, std::numeric_limits<double>::infinity()});
    try {
        JsonWriter().set("ext", free);
        FAIL() << "expected an encoding error";
    } catch (const JsonEncodingError& error) {
        EXPECT_EQ(error.path(), "ext.x[1]");
    }
    EXPECT_THROW(JsonWriter().set("d", std::numeric_limits<double>::quiet_NaN()), JsonEncodingError);
}

}  // namespace
}  // namespace solen
