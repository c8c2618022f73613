#include "Ad/Network/Models/AdFormat.h"
#include "Ad/Network/Models/AdRequestParam.h"
#include "Ad/Network/Models/AdSetting.h"
#include "Commons/Json/JsonWriter.h"

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

TEST(AdFormatTests, RawValuesAreExact) {
    EXPECT_EQ(AdFormats::fromRawValue("Banner"), AdFormat::banner);
    EXPECT_EQ(AdFormats::fromRawValue("banner"), std::nullopt);
    EXPECT_EQ(AdFormats::fromRawValue("Banner "), std::nullopt);
    EXPECT_EQ(AdFormats::fromRawValue(""), std::nullopt);
    std::vector<std::string> raws;
    for (const AdFormat format : AdFormats::allCases) {
        raws.emplace_back(AdFormats::rawValue(format));
        EXPECT_EQ(AdFormats::fromRawValue(AdFormats::rawValue(format)), format);
    }
    EXPECT_EQ(raws, (std::vector<std::string>{"Banner", "Interstitial", "Rewarded", "Native", "Splash"}));
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

TEST(BidRequestDocumentTests, FullDocumentRoundTrips) {
    AdRequestParam doc = minimalDocument();
    doc.device.att = "3";
    doc.device.carrier = "Carrier";
    doc.device.mccmnc = "310-260";
    doc.device.geo = GeoInfo{1.5, -2.25, GeoInfo::sourcePublisher, 100};
    doc.app.bundle = "com.example";
    doc.app.ver = "2.1";
    doc.ext.skadn = SKAdNetworkInfo{"2.0", std::vector<std::string>{"a.skadnetwork"}};
    doc.ext.tpnsdks = std::map<std::string, NetworkSDKData>{{"7", NetworkSDKData{"1.2", "dG9r"}}};
    doc.ext.sdk.ats = R"({"NSAllowsArbitraryLoads":true})";
    doc.ext.sdk.idmap = "{}";
    doc.imp.height = 50;
    doc.user = UserInfo{2, Json::parse(R"({"customIds":[{"idType":"PPID","value":"p"}]})")};
    doc.regs = RegsInfo{Json::object()};

    const Json json = doc.encode();
    EXPECT_EQ(json["regs"].dump(), R"({"consent":{}})");
    EXPECT_EQ(json["device"]["geo"].dump(), R"({"lat":1.5,"lon":-2.25,"type":3,"accuracy":100.0})");
    EXPECT_EQ(json["ext"]["tpnsdks"].dump(), R"({"7":{"ver":"1.2","bidToken":"dG9r"}})");

    EXPECT_TRUE(json["ext"]["sdk"]["ts"].is_number_integer());
    const Json reparsed = JsonReader::parse(json.dump());
    EXPECT_EQ(JsonReader(reparsed).as<AdRequestParam>(), doc);
}

TEST(BidRequestDocumentTests, DecodingIsStrict) {
    Json json = minimalDocument().encode();
    json["ext"]["sdk"]["ts"] = 1.5;
    const Json fractional = json;
    EXPECT_THROW(JsonReader(fractional).as<AdRequestParam>(), JsonDecodingError);
    json = minimalDocument().encode();
    json["device"].erase("hwv");
    try {
        JsonReader(json).as<AdRequestParam>();
        FAIL() << "missing key accepted";
    } catch (const JsonDecodingError& error) {
        EXPECT_EQ(error.path(), "device.hwv");
    }
    json = minimalDocument().encode();
    json["unknown"] = 1;
    EXPECT_NO_THROW(JsonReader(json).as<AdRequestParam>());
}

TEST(BidRequestDocumentTests, NonFiniteFreeFormValueFailsTheWholeDocument) {
    AdRequestParam doc = minimalDocument();
    doc.regs = RegsInfo{Json{{"gdpr", std::numeric_limits<double>::quiet_NaN()}}};
    const auto result = doc.tryEncode();
    EXPECT_FALSE(result);
    EXPECT_NE(result.error.find("regs.consent.gdpr"), std::string::npos) << result.error;

    doc.regs.reset();
    doc.user = UserInfo{std::nullopt, Json{{"x", Json::array({std::numeric_limits<double>::infinity()})}}};
    const auto userResult = doc.tryEncode();
    EXPECT_FALSE(userResult);
    EXPECT_NE(userResult.error.find("user.ext.x[0]"), std::string::npos) << userResult.error;

    doc.user.reset();
    doc.device.screendensity = std::numeric_limits<double>::infinity();
    EXPECT_NE(doc.tryEncode().error.find("device.screendensity"), std::string::npos);

    EXPECT_TRUE(minimalDocument().tryEncode());
}

}  // namespace
}  // namespace solen
