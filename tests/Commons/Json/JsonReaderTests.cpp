#include "Commons/Json/JsonReader.h"
#include "Commons/Json/JsonWriter.h"

#include <gtest/gtest.h>

#include <limits>

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
