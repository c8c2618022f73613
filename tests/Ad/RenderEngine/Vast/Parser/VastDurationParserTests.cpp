#include "Ad/RenderEngine/Vast/Parser/VastDurationParser.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace solen {
namespace {

struct DurationCase {
    std::string text;
    std::optional<double> seconds;
};

class VastDurationParserTests : public ::testing::TestWithParam<DurationCase> {};

TEST_P(VastDurationParserTests, readsClockTimes) {
    const auto& c = GetParam();
    const auto result = parseVastDuration(c.text);
    if (c.seconds) {
        ASSERT_TRUE(result) << '"' << c.text << '"';
        EXPECT_DOUBLE_EQ(*result, *c.seconds) << '"' << c.text << '"';
    } else {
        EXPECT_FALSE(result) << '"' << c.text << "\" gave " << result.value_or(0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Vectors, VastDurationParserTests,
    ::testing::Values(
        DurationCase{"00:00:15", 15}, DurationCase{"00:01:30.500", 90.5}, DurationCase{"01:00:00", 3600},
        DurationCase{"00:00:00.000", 0}, DurationCase{"12:34:56.789", 45296.789},
        // Weights count from the left; pieces after the third add plain seconds.
        DurationCase{"1:30", 5400}, DurationCase{"45", 45 * 3600}, DurationCase{"1:2:3:4", 3727},
        DurationCase{"00::15", 900},
        // No pieces at all read as zero.
        DurationCase{"", 0}, DurationCase{":", 0}, DurationCase{"::", 0},
        // Blanks around the whole text are not part of the time.
        DurationCase{" 00:00:15", 15}, DurationCase{"00:00:15 ", 15}, DurationCase{"\n\t00:00:15\r\n", 15},
        // A piece that is not a finite non-negative number rejects the whole text, whatever the
        // number of pieces: a negative or garbage duration must never come out as a time.
        DurationCase{"00:00:xx", std::nullopt}, DurationCase{"00:00:-5", std::nullopt},
        DurationCase{"00:xx", std::nullopt}, DurationCase{"-5", std::nullopt}, DurationCase{"1:-2", std::nullopt},
        DurationCase{"00: 00:15", std::nullopt}, DurationCase{"00:00:15s", std::nullopt},
        DurationCase{"inf", std::nullopt}, DurationCase{"00:00:nan", std::nullopt},
        DurationCase{"1e400:00:00", std::nullopt}, DurationCase{"00:00:1,5", std::nullopt}));

}  // namespace
}  // namespace solen
