#include "Commons/Storage/KeyValueStore.h"

#include "support/LogCapture.h"
#include "support/ScopedUserDefaults.h"

#include <gtest/gtest.h>

#include <cmath>

namespace solen {
namespace {

using platform::PropertyValue;

class KeyValueStoreTests : public ::testing::Test {
protected:
    test::ScopedUserDefaults defaults_;
};

TEST_F(KeyValueStoreTests, KeysAreComposedIntoTheSdkNameSpaceAndValuesPersistWithTheirKinds) {
    KeyValueStore::set(PropertyValue(1), "my_key_");
    EXPECT_EQ(defaults_.defaults()->snapshot().at("com.solen_defaultStore_my_key_"), PropertyValue(1));
    EXPECT_EQ(KeyValueStore::get("my_key_"), PropertyValue(1));
    KeyValueStore::set(std::nullopt, "my_key_");  // an absent value removes
    EXPECT_FALSE(KeyValueStore::get("my_key_"));

    // Values persist across a relaunch with their kinds.
    PropertyValue::Dictionary map{{"count", PropertyValue(3)},
                                  {"ratio", PropertyValue(3.0)},
                                  {"list", PropertyValue(PropertyValue::Array{PropertyValue("a"), PropertyValue(true)})}};
    KeyValueStore::setDictionary(map, "configExpiry");
    KeyValueStore::set(PropertyValue(1'733'000'000.25), "lastActivityTs");
    defaults_.relaunch();
    EXPECT_EQ(KeyValueStore::get("configExpiry"), PropertyValue(map));
    EXPECT_EQ(KeyValueStore::get("lastActivityTs"), PropertyValue(1'733'000'000.25));
}

TEST_F(KeyValueStoreTests, InvalidJsonMapsAreRefusedAndLeaveTheEntryUnchanged) {
    test::LogCapture log;
    KeyValueStore::set(PropertyValue("previous"), "extras");

    KeyValueStore::setDictionary(
        PropertyValue::Dictionary{{"when", PropertyValue(PropertyValue::Date(std::chrono::seconds(5)))}}, "extras");
    KeyValueStore::setDictionary(PropertyValue::Dictionary{{"n", PropertyValue(std::nan(""))}}, "extras");
    // Free-form values: not an object, or holding a null the store cannot keep.
    KeyValueStore::setDictionary(AnyDictionary::parse(R"([1,2])"), "extras");
    KeyValueStore::setDictionary(AnyDictionary::parse(R"({"a":{"b":null}})"), "extras");

    EXPECT_EQ(KeyValueStore::get("extras"), PropertyValue("previous"));
    EXPECT_EQ(log.count("is not a valid JsonObject"), 4u);
    EXPECT_TRUE(log.contains("[KeyValueStore][setDictionary()]::"));
}

TEST_F(KeyValueStoreTests, FreeFormMapsAreStoredAsPropertyValues) {
    KeyValueStore::setDictionary(
        AnyDictionary::parse(R"({"customIds":[{"idType":"X","value":"1"}],"n":3,"f":2.5,"big":18446744073709551615})"),
        "customExtras");
    const auto stored = KeyValueStore::get("customExtras");
    ASSERT_TRUE(stored && stored->isDictionary());
    EXPECT_EQ(*stored->find("n"), PropertyValue(3));
    EXPECT_TRUE(stored->find("big")->isReal());  // beyond the signed range: a double, never wrapped
    EXPECT_GT(*stored->find("big")->real(), 1.8e19);
    EXPECT_EQ(*stored->find("customIds")->array()->at(0).find("idType"), PropertyValue("X"));
}

TEST_F(KeyValueStoreTests, RemoveAllMatchesRawKeysByPrefix) {
    const auto raw = defaults_.defaults();
    KeyValueStore::set(PropertyValue(1), "sdkversion");
    KeyValueStore::set(PropertyValue(2), "ppId");
    raw->set(PropertyValue("app"), "com.solenoid.setting");
    raw->set(PropertyValue("app"), "other.setting");

    KeyValueStore::removeAll({"com.solen"});
    EXPECT_EQ(raw->snapshot().size(), 1u);
    KeyValueStore::removeAll({"Other"});  // case-sensitive
    EXPECT_TRUE(raw->get("other.setting"));
    KeyValueStore::removeAll({"other."});
    EXPECT_TRUE(raw->snapshot().empty());
    defaults_.relaunch();
    EXPECT_TRUE(raw->snapshot().empty());
}

}  // namespace
}  // namespace solen
