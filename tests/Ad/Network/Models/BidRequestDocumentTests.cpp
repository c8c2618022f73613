#include "Ad/Network/Models/AdRequestParam.h"
#include "Ad/Network/Models/AdSetting.h"

#include <gtest/gtest.h>

#include <limits>

namespace solen {
namespace {

AdRequestParam minimalDocument() {
    AdRequestParam doc;
    doc.device.model = "iPhone";
    doc.device.osv = "17.0";
    doc.device.hwv = "iPhone15,2";
    doc.device.devicetype = 4;
    doc.app.name = "Demo";
    doc.ext.sdk.sid = "S";
    doc.ext.sdk.rid = "R";
    doc.ext.sdk.ts = 1700000000123;
    doc.ext.sdk.adUnitId = "unit";
    return doc;
}

TEST(BidRequestDocumentTests, ImpressionFollowsTheAdSetting) {
    AdSetting setting;
    setting.adType = AdFormat::interstitial;
    EXPECT_EQ(ImpressionInfo::from(setting).encode(), Json::object());

    setting.adSize = AdSetting::Size{320, 50};
    setting.extras = std::map<std::string, std::string>{{"k", "v"}};
    setting.keywords = "not sent";
    EXPECT_EQ(ImpressionInfo::from(setting).encode(), Json::parse(R"({"h":50.0,"w":320.0,"ext":{"k":"v"}})"));
}

TEST(BidRequestDocumentTests, NonFiniteFreeFormValueFailsTheWholeDocument) {
    EXPECT_TRUE(minimalDocument().tryEncode());
    AdRequestParam doc = minimalDocument();
    doc.user = UserInfo{std::nullopt, Json{{"x", Json::array({std::numeric_limits<double>::infinity()})}}};
    const auto userResult = doc.tryEncode();
    EXPECT_FALSE(userResult);
    EXPECT_NE(userResult.error.find("user.ext.x[0]"), std::string::npos) << userResult.error;

    doc.user.reset();
    doc.device.screendensity = std::numeric_limits<double>::infinity();
    EXPECT_NE(doc.tryEncode().error.find("device.screendensity"), std::string::npos);
}

}  // namespace
}  // namespace solen
