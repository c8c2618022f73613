#include <solen/SolenAdError.h>

#include <gtest/gtest.h>

namespace solen {
namespace {

TEST(PublicConstantsTests, AdErrorCodesHaveNoGaps2011And2013) {
    for (std::int64_t code = 1990; code <= 2030; ++code) {
        const auto error = solenAdErrorFromRawValue(code);
        ASSERT_EQ(error.has_value(), code >= 2001 && code <= 2016 && code != 2011 && code != 2013) << code;
        if (error) {
            EXPECT_EQ(rawValue(*error), code);
        }
    }
    EXPECT_EQ(solenAdErrorFromRawValue(2016), SolenAdError::noFill);
}

}  // namespace
}  // namespace solen
