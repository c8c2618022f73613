#include "Ad/RenderEngine/Vast/Parser/VastDurationParser.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

namespace solen {
namespace {

TEST(VastDurationParserTests, readsClockTimes) {
    const std::pair<std::string, std::optional<double>> cases[] = {
        {"00:00:15", 15}, {"00:01:30.500", 90.5}, {"01:00:00", 3600}, {"12:34:56.789", 45296.789},
        // Weights count from the left; pieces after the third add plain seconds.
        {"1:30", 5400}, {"45", 45 * 3600}, {"1:2:3:4", 3727}, {"00::15", 900},
        // No pieces at all read as zero; blanks around the whole text are not part of the time.
        {"", 0}, {"::", 0}, {" 00:00:15", 15}, {"\n\t00:00:15\r\n", 15},
        // A piece that is not a finite non-negative number rejects the whole text, whatever the
        // number of pieces: a negative or garbage duration must never come out as a time.
        {"00:00:xx", std::nullopt}, {"00:00:-5", std::nullopt}, {"00:xx", std::nullopt}, {"-5", std::nullopt},
        {"1:-2", std::nullopt}, {"00: 00:15", std::nullopt}, {"00:00:15s", std::nullopt}, {"inf", std::nullopt},
        {"00:00:nan", std::nullopt}, {"1e400:00:00", std::nullopt}, {"00:00:1,5", std::nullopt}};
    for (const auto& [text, seconds] : cases) {
        const auto result = parseVastDuration(text);
        EXPECT_EQ(result.has_value(), seconds.has_value()) << '"' << text << "\" gave " << result.value_or(-1);
        if (seconds && result) {
            EXPECT_DOUBLE_EQ(*result, *seconds) << '"' << text << '"';
        }
    }
}

}  // namespace
}  // namespace solen
