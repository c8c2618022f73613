#include "Ad/Network/Signals/ConsentSignals.h"
#include "Commons/Utilities/PublisherProvidedInfo.h"
#include "support/ScopedUserDefaults.h"

#include <gtest/gtest.h>

namespace solen {
namespace {

using platform::PropertyValue;
using Consent = std::map<std::string, std::string>;

class ConsentSignalsTests : public ::testing::Test {
protected:
    void TearDown() override { PublisherProvidedInfo::setConsent(std::nullopt); }
    void store(const std::string& key, PropertyValue value) { defaults_.defaults()->set(std::move(value), key); }

    test::ScopedUserDefaults defaults_;
};

TEST_F(ConsentSignalsTests, VersionTwoTakesANumericAppliesValue) {
    store("IABTCF_TCString", "CPv2");
    EXPECT_EQ(ConsentSignals::consentDictionary(true), (Consent{{"gdpr_consent", "CPv2"}}));

    const std::vector<std::pair<PropertyValue, std::optional<std::string>>> applies = {
        {PropertyValue(0), "0"}, {PropertyValue(2.5), "2.5"}, {PropertyValue(1.0), "1"},
        {PropertyValue(true), "1"}, {PropertyValue("1"), std::nullopt},
    };
    for (const auto& [value, expected] : applies) {
        store("IABTCF_gdprApplies", value);
        Consent consent{{"gdpr_consent", "CPv2"}};
        if (expected) {
            consent["gdpr"] = *expected;
        }
        EXPECT_EQ(ConsentSignals::consentDictionary(true), consent) << value.description();
    }
}

TEST_F(ConsentSignalsTests, VersionOneTakesATextAppliesValue) {
    store("IABConsent_ConsentString", "BOv1");
    store("IABConsent_SubjectToGDPR", "0");
    EXPECT_EQ(ConsentSignals::consentDictionary(false), (Consent{{"gdpr_consent", "BOv1"}, {"gdpr", "0"}}));
    store("IABConsent_SubjectToGDPR", 1);  // version one takes text only
    EXPECT_EQ(ConsentSignals::consentDictionary(false), (Consent{{"gdpr_consent", "BOv1"}}));
    EXPECT_EQ(ConsentSignals::consentDictionary(true), std::nullopt);
}

TEST_F(ConsentSignalsTests, SelectionPrefersVersionTwoThenVersionOneThenTheApplication) {
    EXPECT_EQ(ConsentSignals::selectConsent(), std::nullopt);

    PublisherProvidedInfo::setConsent(Json{{"gdpr_consent_available", true}, {"gdpr", 1}});
    EXPECT_EQ(ConsentSignals::selectConsent(), (Json{{"gdpr_consent_available", true}, {"gdpr", 1}}));

    store("IABConsent_ConsentString", "BOv1");
    store("IABConsent_SubjectToGDPR", "1");
    EXPECT_EQ(ConsentSignals::selectConsent(), (Json{{"gdpr", "1"}, {"gdpr_consent", "BOv1"}}));

    store("IABTCF_TCString", 42);  // the wrong type counts as absent
    EXPECT_EQ(ConsentSignals::selectConsent(), (Json{{"gdpr", "1"}, {"gdpr_consent", "BOv1"}}));

    store("IABTCF_TCString", "CPv2");
    EXPECT_EQ(ConsentSignals::selectConsent(), (Json{{"gdpr_consent", "CPv2"}}));
}

}  // namespace
}  // namespace solen
