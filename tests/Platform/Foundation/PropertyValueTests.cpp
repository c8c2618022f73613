#include "Platform/Foundation/PropertyValue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace solen::platform {
namespace {

using Json = nlohmann::ordered_json;

TEST(PropertyValueTests, KindsStayDistinctAndHugeNumbersNeverWrap) {
    EXPECT_NE(PropertyValue(1), PropertyValue(1.0));
    EXPECT_NE(PropertyValue(true), PropertyValue(1));
    EXPECT_NE(PropertyValue("1"), PropertyValue(1));
    EXPECT_EQ(PropertyValue(std::int8_t{5}), PropertyValue(std::int64_t{5}));
    EXPECT_FALSE(PropertyValue(42).real());
    EXPECT_EQ(PropertyValue(42).number(), 42.0);
    EXPECT_FALSE(PropertyValue("42").number());

    EXPECT_EQ(PropertyValue(2.0).wholeNumber(), 2);
    EXPECT_FALSE(PropertyValue(2.5).wholeNumber());
    EXPECT_FALSE(PropertyValue(9.3e18).wholeNumber());  // beyond the 64-bit range
    EXPECT_FALSE(PropertyValue(std::nan("")).wholeNumber());

    EXPECT_GT(*PropertyValue(std::numeric_limits<std::uint64_t>::max()).real(), 1.8e19);
    EXPECT_EQ(PropertyValue(std::uint64_t{7}).integer(), 7);
    EXPECT_GT(*PropertyValue::fromJson(Json::parse("18446744073709551615"))->real(), 1.8e19);
}

TEST(PropertyValueTests, JsonRoundTripKeepsIntegersAndDoublesApartAndRefusesWhatHasNoJsonForm) {
    const auto json = Json::parse(R"({"a":1,"b":[true,"x",2.5,-3],"c":{"d":1.0}})");
    const auto value = PropertyValue::fromJson(json);
    ASSERT_TRUE(value);
    EXPECT_TRUE(value->find("a")->isInteger());
    EXPECT_TRUE(value->find("c")->find("d")->isReal());
    EXPECT_EQ(value->find("b")->array()->at(3), PropertyValue(-3));
    const auto back = value->toJson();
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, json);
    EXPECT_TRUE((*back)["c"]["d"].is_number_float());

    EXPECT_FALSE(PropertyValue::fromJson(Json::parse(R"({"a":[1,null]})")));
    EXPECT_FALSE(PropertyValue::fromJson(Json(nullptr)));
    PropertyValue::Dictionary withDate{{"when", PropertyValue(PropertyValue::Date(std::chrono::seconds(1)))}};
    EXPECT_FALSE(PropertyValue(withDate).toJson());
    EXPECT_FALSE(PropertyValue(PropertyValue::Array{PropertyValue(PropertyValue::Data{1, 2})}).toJson());
    EXPECT_FALSE(PropertyValue(PropertyValue::Array{PropertyValue(HUGE_VAL)}).toJson());
}

TEST(PropertyValueTests, JsonValidityCheck) {
    using Array = PropertyValue::Array;
    using Dictionary = PropertyValue::Dictionary;
    EXPECT_TRUE(PropertyValue::isValidJSONObject(PropertyValue(Dictionary{})));
    EXPECT_TRUE(PropertyValue::isValidJSONObject(PropertyValue(Array{PropertyValue(1), PropertyValue("x")})));
    EXPECT_FALSE(PropertyValue::isValidJSONObject(PropertyValue("scalar")));
    EXPECT_FALSE(PropertyValue::isValidJSONObject(
        PropertyValue(Dictionary{{"a", PropertyValue(Array{PropertyValue(std::nan(""))})}})));
    EXPECT_FALSE(PropertyValue::isValidJSONObject(
        PropertyValue(Dictionary{{"a", PropertyValue(PropertyValue::Date(std::chrono::seconds(1)))}})));

    EXPECT_TRUE(PropertyValue::isValidJSONObject(Json::parse(R"({"a":null,"b":[1,2.5,"x",false]})")));
    EXPECT_FALSE(PropertyValue::isValidJSONObject(Json(5)));
    EXPECT_FALSE(PropertyValue::isValidJSONObject(Json{{"a", std::numeric_limits<double>::infinity()}}));
    EXPECT_FALSE(PropertyValue::isValidJSONObject(Json{{"a", Json::binary({1, 2})}}));
}

}  // namespace
}  // namespace solen::platform
