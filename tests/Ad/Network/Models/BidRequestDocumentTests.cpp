#include "Ad/Network/Models/AdRequestParam.h"
#include "Ad/Network/Models/AdSetting.h"

#include <gtest/gtest.h>

#include <limits>

namespace solen {
namespace {

// The whole document's wire form is covered by the assembler's golden tests.
TEST(BidRequestDocumentTests, ImpressionFollowsTheAdSetting) {
    AdSetting setting;
    setting.adType = AdFormat::interstitial;
    EXPECT_EQ(ImpressionInfo::from(setting).encode(), Json::object());

    setting.adSize = AdSetting::Size{320, 50};
    setting.extras = std::map<std::string, std::string>{{"k", "v"}};
    setting.keywords = "not sent";
    EXPECT_EQ(ImpressionInfo::from(setting).encode(), Json::parse(R"({"h":50.0,"w":320.0,"ext":{"k":"v"}})"));
}

TEST(BidRequestDocumentTests, NonFiniteExtrasValueFailsTheWholeDocumentWithItsPath) {
    AdRequestParam doc;
    EXPECT_TRUE(doc.tryEncode());
    doc.user = UserInfo{std::nullopt, Json{{"x", Json::array({std::numeric_limits<double>::infinity()})}}};
    const auto result = doc.tryEncode();
    EXPECT_FALSE(result);
    EXPECT_NE(result.error.find("user.ext.x[0]"), std::string::npos) << result.error;
}

}  // namespace
}  // namespace solen
