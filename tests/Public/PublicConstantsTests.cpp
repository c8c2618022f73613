#include "Commons/Utilities/PublicInfo.h"

#include <solen/Gender.h>
#include <solen/LogLevel.h>
#include <solen/SolenAdError.h>

#include <gtest/gtest.h>

#include <string>

namespace solen {
namespace {

TEST(PublicConstantsTests, AdErrorCodesHaveNoGaps2011And2013) {
    for (std::int64_t code = 1990; code <= 2030; ++code) {
        const auto error = solenAdErrorFromRawValue(code);
        const bool expected = code >= 2001 && code <= 2016 && code != 2011 && code != 2013;
        ASSERT_EQ(error.has_value(), expected) << code;
        if (error) {
            EXPECT_EQ(rawValue(*error), code);
        }
    }
    EXPECT_EQ(solenAdErrorFromRawValue(2012), SolenAdError::serverError);
    EXPECT_EQ(solenAdErrorFromRawValue(2005), SolenAdError::sdkNotInitilize);
    EXPECT_EQ(solenAdErrorFromRawValue(2016), SolenAdError::noFill);
}

TEST(PublicConstantsTests, LogLevelGenderAndPublicInfoRanges) {
    EXPECT_EQ(logLevelFromRawValue(2), LogLevel::info);
    EXPECT_FALSE(logLevelFromRawValue(3));
    EXPECT_FALSE(logLevelFromRawValue(-1));
    EXPECT_EQ(genderFromRawValue(1), Gender::male);
    EXPECT_FALSE(genderFromRawValue(0));
    EXPECT_FALSE(genderFromRawValue(3));
    EXPECT_FALSE(publicInfoFromRawValue(4));

    std::vector<std::string> keys;
    for (const auto info : kAllPublicInfoCases) {
        keys.emplace_back(keyValueKey(info));
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"location", "gender", "customExtras", "ppId"}));
}

}  // namespace
}  // namespace solen
