#include <solen/SolenSdkConfiguration.h>
#include <solen/SolenSdkError.h>

#include <gtest/gtest.h>

namespace solen {
namespace {

TEST(SolenSdkConfigurationTests, BuildTypeDefaultsToGlobalAndConsentIsReplacedWhole) {
    SolenSdkConfiguration configuration("app", {{"gdpr", 1}, {"gdpr_consent", "abc"}});
    EXPECT_EQ(configuration.appId(), "app");
    EXPECT_EQ(rawValue(configuration.buildType()), 0);
    configuration.setConsent({{"gdpr_consent_available", true}});
    ASSERT_EQ(configuration.consent().size(), 1u);
    EXPECT_EQ(configuration.consent().at("gdpr_consent_available"), true);

    const SolenSdkConfiguration china("", {}, SolenBuildType::china);
    EXPECT_EQ(rawValue(china.buildType()), 1);
    EXPECT_TRUE(china.appId().empty());

    EXPECT_EQ(solenBuildTypeFromRawValue(1), SolenBuildType::china);
    EXPECT_FALSE(solenBuildTypeFromRawValue(2).has_value());
    EXPECT_FALSE(solenBuildTypeFromRawValue(-1).has_value());
}

TEST(SolenInitializationErrorTests, CodesAndDescriptions) {
    EXPECT_FALSE(solenInitializationErrorFromRawValue(1000).has_value());
    EXPECT_FALSE(solenInitializationErrorFromRawValue(1005).has_value());
    EXPECT_EQ(solenInitializationErrorFromRawValue(1003), SolenInitializationError::invalidAppId);

    const auto standard = SolenSdkError::initializationError(SolenInitializationError::unsupportedOSVersion);
    EXPECT_EQ(standard.code(), 1004);
    EXPECT_EQ(standard.localizedDescription(), "Error initialising the SDK. The minimum supported iOS version is 10.0.0");
    EXPECT_EQ(std::string(standard.errorDomain()), "ai.solen.SolenSDK");
    EXPECT_EQ(SolenSdkError::initializationError(SolenInitializationError::configFetchFailed, "no such app")
                  .localizedDescription(),
              "no such app");
    // An empty message says nothing; the standard text is used instead.
    EXPECT_EQ(SolenSdkError::initializationError(SolenInitializationError::invalidAppId, "").localizedDescription(),
              "Invalid app id.");
}

}  // namespace
}  // namespace solen
