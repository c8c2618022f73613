#include <solen/SolenSdkError.h>

#include <gtest/gtest.h>

namespace solen {
namespace {

TEST(SolenInitializationErrorTests, ServiceMessageOrStandardText) {
    EXPECT_FALSE(solenInitializationErrorFromRawValue(1005).has_value());
    EXPECT_EQ(SolenSdkError::initializationError(SolenInitializationError::unsupportedOSVersion).localizedDescription(),
              "Error initialising the SDK. The minimum supported iOS version is 10.0.0");
    EXPECT_EQ(SolenSdkError::initializationError(SolenInitializationError::configFetchFailed, "no such app")
                  .localizedDescription(),
              "no such app");
    // An empty message says nothing; the standard text is used instead.
    EXPECT_EQ(SolenSdkError::initializationError(SolenInitializationError::invalidAppId, "").localizedDescription(),
              "Invalid app id.");
}

}  // namespace
}  // namespace solen
