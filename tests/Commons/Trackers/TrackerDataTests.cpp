#include "Commons/Trackers/TrackerData.h"

#include <gtest/gtest.h>

namespace solen {
namespace {

TEST(TrackerDataTests, TokensAreExactAndTheListKeepsItsOrder) {
    for (const auto macro : allTrackerMacros) {
        EXPECT_EQ(trackerMacroFromToken(trackerMacroToken(macro)), macro);
    }
    EXPECT_EQ(trackerMacroFromToken("$DROP_DESCRIPTOR"), TrackerMacros::dropReasonDesciptor);
    EXPECT_FALSE(trackerMacroFromToken("$imp"));
    EXPECT_FALSE(trackerMacroFromToken("$IMP "));
    EXPECT_EQ(TrackerData::list().size(), 8u);
    const auto full = TrackerData::list("i", "c", "1", "r", "d", "2", "3", "4");
    EXPECT_EQ(full[2], (TrackerData{TrackerMacros::networkLatency, "1"}));
    EXPECT_EQ(full[4], (TrackerData{TrackerMacros::dropReasonDesciptor, "d"}));
    EXPECT_EQ(full[7], (TrackerData{TrackerMacros::auctionLatency, "4"}));
}

TEST(TrackerDataTests, SubstitutesEveryOccurrence) {
    const std::vector<TrackerData> imp{{TrackerMacros::impression, "a b"}};
    EXPECT_EQ(TrackerData::substitute("https://t.test/x?i=$IMP&j=$IMP", imp), "https://t.test/x?i=a%20b&j=a%20b");
    // Tokens without an entry stay; an empty list changes nothing.
    EXPECT_EQ(TrackerData::substitute("https://t.test/?r=$RENDER_LATENCY&i=$IMP", imp),
              "https://t.test/?r=$RENDER_LATENCY&i=a%20b");
    EXPECT_EQ(TrackerData::substitute("https://t.test/?i=$IMP", {}), "https://t.test/?i=$IMP");
    // A lone or unknown "$" is kept; adjacent tokens are both replaced.
    EXPECT_EQ(TrackerData::substitute("https://t.test/$?a=$$IMP$CR_ID$X",
                                      TrackerData::list("1", "c")),
              "https://t.test/$?a=$1c$X");
    // Empty values remove the token.
    EXPECT_EQ(TrackerData::substitute("https://t.test/?l=$LOAD_LATENCY&a=$AUCTION_LATENCY", TrackerData::list()),
              "https://t.test/?l=&a=");
    // The first entry of a macro counts.
    EXPECT_EQ(TrackerData::substitute("u?i=$IMP", {{TrackerMacros::impression, "1"}, {TrackerMacros::impression, "2"}}),
              "u?i=1");
}

TEST(TrackerDataTests, HostileValuesStayInsideTheirParameter) {
    EXPECT_EQ(TrackerData::encodeValue("-._~!$'()*,:AZaz09"), "-._~!$'()*,:AZaz09");
    EXPECT_EQ(TrackerData::encodeValue("a&b=c+d;e#f[g]h%i/j?k@l\"m<n>"),
              "a%26b%3Dc%2Bd%3Be%23f%5Bg%5Dh%25i%2Fj%3Fk%40l%22m%3Cn%3E");
    EXPECT_EQ(TrackerData::encodeValue("\r\n\t é"), "%0D%0A%09%20%C3%A9");
    EXPECT_EQ(TrackerData::encodeValue(std::string("a\0b", 3)), "a%00b");
    // A value holding another macro's token is not substituted again.
    const auto data = TrackerData::list("$CR_ID", "creative", std::nullopt, "x&admin=1");
    EXPECT_EQ(TrackerData::substitute("https://t.test/?i=$IMP&c=$CR_ID&r=$DROP_REASON", data),
              "https://t.test/?i=$CR_ID&c=creative&r=x%26admin%3D1");
    // A descriptor in the platform's dictionary form.
    EXPECT_EQ(TrackerData::substitute("u?d=$DROP_DESCRIPTOR",
                                      {{TrackerMacros::dropReasonDesciptor, R"(["Info": "time out"])"}}),
              "u?d=%5B%22Info%22:%20%22time%20out%22%5D");
}

}  // namespace
}  // namespace solen
