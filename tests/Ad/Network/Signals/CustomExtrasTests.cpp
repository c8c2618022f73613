#include "Ad/Network/Signals/CustomExtras.h"
#include "Commons/Storage/KeyValueStore.h"
#include "Commons/Utilities/PublisherProvidedInfo.h"
#include "support/ScopedUserDefaults.h"

#include <gtest/gtest.h>

namespace solen {
namespace {

using platform::PropertyValue;

class CustomExtrasTests : public ::testing::Test {
protected:
    void SetUp() override { CustomExtras::resetForTesting(); }
    void TearDown() override { CustomExtras::resetForTesting(); }

    test::ScopedUserDefaults defaults_;
};

// The bid request's golden documents cover the merge of stored identifiers, the PPID and gender.
TEST_F(CustomExtrasTests, EmptyPpidAndGenderAloneAddNothing) {
    EXPECT_EQ(CustomExtras::customUserExtras(), std::nullopt);
    KeyValueStore::set(PropertyValue(""), "ppId");
    CustomExtras::storeCustomExtras(Json{{"gender", 1}});
    EXPECT_EQ(PublisherProvidedInfo::gender(), 1);
    EXPECT_EQ(CustomExtras::customUserExtras(), std::nullopt);
}

TEST_F(CustomExtrasTests, InMemoryIdentifiersAreSentButNotPersisted) {
    CustomExtras::storeCustomExtras(Json{{"k", "v"}});
    const Json inMemoryId = Json{{"idType", "device"}, {"value", "d"}};
    CustomExtras::storeCustomExtras(Json{{"qo_customIds", Json::array({inMemoryId})}, {"other", 1}, {"gender", 2}});
    EXPECT_EQ(CustomExtras::loadCustomExtras(), (Json{{"k", "v"}}));
    EXPECT_EQ(PublisherProvidedInfo::gender(), std::nullopt);
    EXPECT_EQ(CustomExtras::customUserExtras(), (Json{{"k", "v"}, {"customIds", Json::array({inMemoryId})}}));
}

TEST_F(CustomExtrasTests, EmptyOrUnstorableExtrasChangeNothing) {
    CustomExtras::storeCustomExtras(Json{{"k", "v"}});
    CustomExtras::storeCustomExtras(Json::object());
    CustomExtras::storeCustomExtras(Json::array({1}));
    CustomExtras::storeCustomExtras(Json{{"bad", nullptr}});
    EXPECT_EQ(CustomExtras::loadCustomExtras(), (Json{{"k", "v"}}));

    KeyValueStore::set(PropertyValue("text"), "customExtras");
    EXPECT_EQ(CustomExtras::loadCustomExtras(), std::nullopt);
    EXPECT_EQ(CustomExtras::requestExtras(Json{{"customIds", "not a list"}}), std::nullopt);
}

}  // namespace
}  // namespace solen
