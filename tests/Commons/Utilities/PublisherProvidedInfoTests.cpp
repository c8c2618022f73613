#include "Commons/Utilities/PublisherProvidedInfo.h"

#include "Commons/Storage/KeyValueStore.h"
#include "support/ScopedUserDefaults.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

namespace solen {
namespace {

using platform::PropertyValue;

class PublisherProvidedInfoTests : public ::testing::Test {
protected:
    void SetUp() override { platform::Clock::setShared(clock_); }
    void TearDown() override {
        platform::Clock::setShared(nullptr);
        PublisherProvidedInfo::setConsent(std::nullopt);
        PublisherProvidedInfo::setCurrentBuildType(0);
    }

    static platform::Location at(double latitude, double longitude, double accuracy) {
        platform::Location location;
        location.coordinate = {latitude, longitude};
        location.horizontalAccuracy = accuracy;
        location.altitude = 120;
        location.verticalAccuracy = 8;
        return location;
    }

    test::ScopedUserDefaults defaults_;
    std::shared_ptr<platform::ManualClock> clock_ = std::make_shared<platform::ManualClock>();
};

TEST_F(PublisherProvidedInfoTests, LocationPersistsAndInvalidOrMalformedEntriesAreIgnored) {
    PublisherProvidedInfo::setLocation(at(52.5, 13.4, 65));
    EXPECT_EQ(KeyValueStore::get("location"),
              PropertyValue(PropertyValue::Dictionary{{"latitude", PropertyValue(52.5)},
                                                      {"longitude", PropertyValue(13.4)},
                                                      {"accuracy", PropertyValue(65.0)}}));
    PublisherProvidedInfo::setLocation(at(91, 0, 5));
    PublisherProvidedInfo::setLocation(at(0, -180.5, 5));
    PublisherProvidedInfo::setLocation(at(std::nan(""), 0, 5));
    PublisherProvidedInfo::setLocation(at(1, 2, HUGE_VAL));  // not JSON-valid: refused by the store
    clock_->advanceSeconds(30);
    defaults_.relaunch();
    const auto location = PublisherProvidedInfo::location();
    ASSERT_TRUE(location);
    EXPECT_EQ(location->coordinate.latitude, 52.5);
    EXPECT_EQ(location->altitude, 0);
    EXPECT_EQ(location->timestamp, clock_->wallNow());  // read back with today's time
    KeyValueStore::set(PropertyValue(PropertyValue::Dictionary{{"latitude", PropertyValue("1")}}), "location");
    EXPECT_FALSE(PublisherProvidedInfo::location());
}

TEST_F(PublisherProvidedInfoTests, GenderIsTakenOnlyFromTheIntegersOneAndTwo) {
    PublisherProvidedInfo::setGender(AnyDictionary::parse(R"({"gender":2,"other":1})"));
    EXPECT_EQ(PublisherProvidedInfo::gender(), 2);
    for (const char* extras : {R"({"gender":0})", R"({"gender":3})", R"({"gender":"1"})", R"({"gender":1.0})",
                               R"({"gender":true})", R"({"gender":18446744073709551617})", R"({"gender":null})",
                               R"({})", R"([1])"}) {
        PublisherProvidedInfo::setGender(AnyDictionary::parse(extras));
        EXPECT_EQ(PublisherProvidedInfo::gender(), 2) << extras;
    }
}

TEST_F(PublisherProvidedInfoTests, ConsentAndBuildTypeAreSharedSafely) {
    std::thread writer([] {
        for (int i = 0; i < 2000; ++i) {
            PublisherProvidedInfo::setConsent(AnyDictionary{{"gdpr", i}});
            PublisherProvidedInfo::setCurrentBuildType(i % 2);
        }
    });
    for (int i = 0; i < 2000; ++i) {
        if (const auto consent = PublisherProvidedInfo::consent()) {
            EXPECT_TRUE((*consent)["gdpr"].is_number_integer());
        }
        const auto buildType = PublisherProvidedInfo::currentBuildType();
        EXPECT_TRUE(buildType == 0 || buildType == 1);
    }
    writer.join();
}

}  // namespace
}  // namespace solen
