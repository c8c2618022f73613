#include "Commons/Utilities/AnyDictionary.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <limits>

namespace solen {
namespace {

using platform::PropertyValue;

AnyDictionary decode(std::string_view text) { return decodeAnyDictionary(JsonReader(JsonReader::parse(text))); }

// Expects the decode to fail; returns the error.
JsonDecodingError decodeFailure(std::string_view text) {
    try {
        decode(text);
    } catch (const JsonDecodingError& error) {
        return error;
    }
    ADD_FAILURE() << "decoded: " << text;
    return JsonDecodingError("", "");
}

JsonEncodingError encodeFailure(const auto& value) {
    try {
        encodeAnyDictionary(value);
    } catch (const JsonEncodingError& error) {
        return error;
    }
    ADD_FAILURE() << "encoded";
    return JsonEncodingError("", "");
}

TEST(AnyDictionaryTests, ScalarsKeepTheirKindAndIntegersBeyondTheSignedRangeNeverWrap) {
    const auto value = decode(R"({"a":1,"b":[true,"x",2.5],"c":"5","d":-7})");
    EXPECT_FALSE(value["a"].is_number_unsigned());
    EXPECT_EQ(encodeAnyDictionary(value).dump(), R"({"a":1,"b":[true,"x",2.5],"c":"5","d":-7})");
    const auto unsignedMax = decode("[18446744073709551615, 100000000000000000000]");
    EXPECT_EQ(unsignedMax[0].get<std::uint64_t>(), std::numeric_limits<std::uint64_t>::max());
    EXPECT_DOUBLE_EQ(unsignedMax[1].get<double>(), 1e20);
    EXPECT_TRUE(decode("-9223372036854775809").is_number_float());
}

TEST(AnyDictionaryTests, NullAnywhereFailsTheWholeDecode) {
    test::LogCapture log;
    const auto top = decodeFailure(R"({"a":null})");
    EXPECT_EQ(top.reason(), "the container contains nothing serialisable");
    EXPECT_EQ(top.path(), "a");
    const auto nested = decodeFailure(R"({"b":[1,{"c":null}]})");
    EXPECT_EQ(nested.path(), "b[1].c");
    EXPECT_TRUE(log.contains("The value at b[1].c contains nothing serialisable, Please contact "));
    EXPECT_FALSE(tryDecodeAnyDictionary(AnyDictionary::parse("[null]")));
    EXPECT_TRUE(tryDecodeAnyDictionary(AnyDictionary::parse("[0]")));
}

TEST(AnyDictionaryTests, ValuesWithoutJsonFormFailToEncode) {
    test::LogCapture log;
    AnyDictionary withNaN = AnyDictionary::object();
    withNaN["list"] = AnyDictionary::array({1, std::numeric_limits<double>::quiet_NaN()});
    const auto nan = encodeFailure(withNaN);
    EXPECT_EQ(nan.path(), "list[1]");
    EXPECT_NE(std::string(nan.what()).find("The value is not encodable"), std::string::npos);
    EXPECT_EQ(encodeFailure(AnyDictionary::parse(R"({"a":null})")).path(), "a");

    const PropertyValue withDate(PropertyValue::Dictionary{
        {"ok", PropertyValue(1)}, {"when", PropertyValue(PropertyValue::Date(std::chrono::seconds(1)))}});
    EXPECT_EQ(encodeFailure(withDate).path(), "when");
    EXPECT_TRUE(log.contains("value encoding fails, Please contact "));

    const PropertyValue plain(PropertyValue::Dictionary{{"n", PropertyValue(1)}, {"f", PropertyValue(true)}});
    EXPECT_EQ(encodeAnyDictionary(plain), AnyDictionary::parse(R"({"f":true,"n":1})"));
}

}  // namespace
}  // namespace solen
