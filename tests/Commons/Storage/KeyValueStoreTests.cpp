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

TEST_F(KeyValueStoreTests, KeysAreComposedIntoTheSdkNameSpace) {
    EXPECT_EQ(KeyValueStore::storeKey("ppId"), "com.solen_defaultStore_ppId");
    EXPECT_EQ(KeyValueStore::storeKey("a_b__c"), "com.solen_defaultStore_a_b__c");

    KeyValueStore::set(PropertyValue("abc"), "ppId");
    KeyValueStore::set(PropertyValue(1), "my_key_");
    const auto raw = defaults_.defaults()->snapshot();
    EXPECT_EQ(raw.at("com.solen_defaultStore_ppId"), PropertyValue("abc"));
    EXPECT_EQ(raw.at("com.solen_defaultStore_my_key_"), PropertyValue(1));
    EXPECT_EQ(KeyValueStore::get("my_key_"), PropertyValue(1));
}

TEST_F(KeyValueStoreTests, AbsentValueRemovesAndMissingKeyReadsAsNothing) {
    EXPECT_FALSE(KeyValueStore::get("missing"));
    KeyValueStore::set(PropertyValue("x"), "k");
    KeyValueStore::set(std::nullopt, "k");
    EXPECT_FALSE(KeyValueStore::get("k"));
}

TEST_F(KeyValueStoreTests, ValuesPersistAcrossARelaunchWithTheirKinds) {
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
    KeyValueStore::setDictionary(PropertyValue::Dictionary{{"d", PropertyValue(PropertyValue::Data{1})}}, "extras");
    // Free-form values: not an object, or holding a null the store cannot keep.
    KeyValueStore::setDictionary(AnyDictionary::parse(R"([1,2])"), "extras");
    KeyValueStore::setDictionary(AnyDictionary::parse(R"({"a":{"b":null}})"), "extras");
    KeyValueStore::setDictionary(AnyDictionary(5), "extras");

    EXPECT_EQ(KeyValueStore::get("extras"), PropertyValue("previous"));
    EXPECT_EQ(log.count("is not a valid JsonObject"), 6u);
    EXPECT_TRUE(log.contains("[KeyValueStore][setDictionary()]::"));
}

TEST_F(KeyValueStoreTests, FreeFormMapsAreStoredAsPropertyValues) {
    KeyValueStore::setDictionary(
        AnyDictionary::parse(R"({"customIds":[{"idType":"X","value":"1"}],"n":3,"f":2.5,"big":18446744073709551615})"),
        "customExtras");
    const auto stored = KeyValueStore::get("customExtras");
    ASSERT_TRUE(stored && stored->isDictionary());
    EXPECT_EQ(*stored->find("n"), PropertyValue(3));
    EXPECT_EQ(*stored->find("f"), PropertyValue(2.5));
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
    raw->set(PropertyValue("app"), "zeta");

    KeyValueStore::removeAll({});
    EXPECT_EQ(raw->snapshot().size(), 5u);

    KeyValueStore::removeAll({"com.solen"});
    EXPECT_EQ(raw->snapshot().size(), 2u);
    EXPECT_FALSE(raw->get("com.solenoid.setting"));
    EXPECT_TRUE(raw->get("other.setting"));

    KeyValueStore::removeAll({"Other", "zet", "other."});  // case-sensitive
    EXPECT_TRUE(raw->snapshot().empty());
    defaults_.relaunch();
    EXPECT_TRUE(raw->snapshot().empty());
}

}  // namespace
}  // namespace solen
