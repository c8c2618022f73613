#include "Commons/Utilities/DecimalText.h"

#include <gtest/gtest.h>

#include <limits>
#include <utility>
#include <vector>

namespace solen {
namespace {

TEST(DecimalTextTests, ShortestTextWithWholeNumbersEndingInPointZero) {
    const std::vector<std::pair<double, std::string>> cases{
        {2.5, "2.5"},
        {1.5, "1.5"},
        {10, "10.0"},
        {0.1 + 0.2, "0.30000000000000004"},
        {1e16, "1e+16"},
        {std::numeric_limits<double>::quiet_NaN(), "nan"},
        {std::numeric_limits<double>::infinity(), "inf"},
        {-std::numeric_limits<double>::infinity(), "-inf"},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(DecimalText::number(value), expected);
    }
    std::string appended = "interval ";
    DecimalText::appendNumber(appended, 0.4);
    EXPECT_EQ(appended, "interval 0.4");
}

}  // namespace
}  // namespace solen
