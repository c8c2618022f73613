#include "Ad/Network/Models/AdResponse.h"

#include <gtest/gtest.h>

#include <string>

namespace solen {
namespace {

const std::string minimalAd = R"({"lineItemId":"li","networkId":"net","trackers":{}})";

std::string responseWith(const std::string& ads, const std::string& extra = "") {
    return R"({"requestId":"r1","refreshConfig":false,"noAdFillEventUrl":"https://t.test/nofill?l=$LOAD_LATENCY",)"
           R"("auctionTimeout":3000,"ads":[)" + ads + "]" + extra + "}";
}

std::string failurePath(const std::string& body) {
    try {
        AdResponse::decode(body);
    } catch (const JsonDecodingError& error) {
        return error.path().empty() ? "<root>" : error.path();
    }
    return "<decoded>";
}

TEST(AdResponseTests, DecodesAFullResponse) {
    const std::string body = R"({
        "requestId":"req-1","refreshConfig":true,"noAdFillEventUrl":"https://t.test/nf","auctionTimeout":2500,
        "auctionTimeoutSource":"server","rewardedVideo":true,"rewards":{"coins":5,"label":"x"},"unknown":[1],
        "ads":[{"lineItemId":"a","networkId":"n1","lineItemMeta":{"placement":"p"},"adm":"PGRpdj4=","s2s":true,
                "trackers":{"networkLoad":["https://t.test/l?i=$IMP"],"click":[],"videoComplete":["https://t.test/c"]},
                "impressionData":{"rev":0.5},"timeout":4000},
               {"lineItemId":"b","networkId":"n2","trackers":{},"s2s":null,"timeout":null,"creative":null}]})";
    const auto response = AdResponse::decode(body);
    EXPECT_EQ(response.auctionTimeout, 2500);
    EXPECT_EQ(response.rewards->at("coins"), 5);
    ASSERT_EQ(response.ads.size(), 2u);
    const auto& first = response.ads[0];
    EXPECT_EQ(first.s2s, true);
    EXPECT_EQ(first.timeout, 4000);
    EXPECT_EQ(first.trackers.networkLoad, (std::vector<std::string>{"https://t.test/l?i=$IMP"}));
    EXPECT_FALSE(first.trackers.impression);
    const auto& second = response.ads[1];
    EXPECT_FALSE(second.s2s);
    EXPECT_FALSE(second.timeout);
    EXPECT_FALSE(second.creative);
    EXPECT_EQ(second.trackers, AdTrackers{});
}

TEST(AdResponseTests, StrictTypesFailTheWholeDocument) {
    EXPECT_EQ(failurePath(responseWith(minimalAd)), "<decoded>");
    // Required keys missing or null.
    EXPECT_EQ(failurePath(R"({"requestId":"r","refreshConfig":false,"noAdFillEventUrl":"u","ads":[]})"),
              "auctionTimeout");
    EXPECT_EQ(failurePath(R"({"requestId":null,"refreshConfig":false,"noAdFillEventUrl":"u","auctionTimeout":1,"ads":[]})"),
              "requestId");
    EXPECT_EQ(failurePath(responseWith(R"({"lineItemId":"li","networkId":"net"})")), "ads[0].trackers");
    // Wrong types.
    EXPECT_EQ(failurePath(R"({"requestId":"r","refreshConfig":false,"noAdFillEventUrl":"u","auctionTimeout":"5","ads":[]})"),
              "auctionTimeout");
    EXPECT_EQ(failurePath(R"({"requestId":"r","refreshConfig":true,"noAdFillEventUrl":"u","auctionTimeout":5,"ads":{}})"),
              "ads");
    EXPECT_EQ(failurePath(responseWith(minimalAd + R"(,{"lineItemId":"b","networkId":"n","trackers":{"click":["ok",7]}})")),
              "ads[1].trackers.click[1]");
    EXPECT_EQ(failurePath(responseWith(R"({"lineItemId":"b","networkId":"n","trackers":{},"timeout":1.5})")),
              "ads[0].timeout");
    EXPECT_EQ(failurePath(responseWith(R"({"lineItemId":"b","networkId":"n","trackers":{},"impressionData":{"a":null}})")),
              "ads[0].impressionData.a");
    // A key in another letter case is unknown, so the required one is missing.
    EXPECT_EQ(failurePath(R"({"RequestId":"r","refreshConfig":true,"noAdFillEventUrl":"u","auctionTimeout":5,"ads":[]})"),
              "requestId");
    // A creative that does not decode fails everything.
    EXPECT_EQ(failurePath(responseWith(R"({"lineItemId":"b","networkId":"n","trackers":{},"creative":{"markupType":1}})")),
              "ads[0].creative.pubContent");
}

TEST(AdResponseTests, HostileBodiesNeverCrash) {
    EXPECT_EQ(failurePath(""), "<root>");
    EXPECT_EQ(failurePath("null"), "<root>");
    EXPECT_EQ(failurePath(std::string(100000, '[')), "<root>");
    EXPECT_EQ(failurePath(responseWith(minimalAd).substr(0, 60)), "<root>");
    std::string many;
    for (int i = 0; i < 2000; ++i) {
        many += (i ? "," : "") + minimalAd;
    }
    EXPECT_EQ(AdResponse::decode(responseWith(many)).ads.size(), 2000u);
}

}  // namespace
}  // namespace solen
