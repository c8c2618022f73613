#include "Ad/Network/AdError.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace solen {
namespace {

std::vector<AdError> everyKind() {
    return {AdError::serverError(1, "x"), AdError::invalidLoadRequest(), AdError::internalError(),
            AdError::adActive(),          AdError::monetizationDisabled(), AdError::sdkNotInitilize(),
            AdError::fetchTimeOut(),      AdError::renderTimeout(),      AdError::invalidAdUnit(),
            AdError::invalidAdSize(),     AdError::auctionTimeout(),     AdError::auctionNoFill(),
            AdError::noFill(),            AdError::networkUnreachable()};
}

TEST(AdErrorTests, CodesAreUniqueAndSkip2011And2013) {
    const std::vector<std::int64_t> expected{2012, 2001, 2002, 2003, 2004, 2005, 2006,
                                             2007, 2008, 2009, 2014, 2015, 2016, 2010};
    std::set<std::int64_t> seen;
    const auto kinds = everyKind();
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        EXPECT_EQ(kinds[i].code(), expected[i]) << i;
        seen.insert(kinds[i].code());
        EXPECT_STREQ(kinds[i].domain(), "ai.solen.SolenAdError");
        EXPECT_EQ(kinds[i].failureReason(), kinds[i].message());
        EXPECT_EQ(kinds[i].errorDescription(), kinds[i].message());
    }
    EXPECT_EQ(seen.size(), kinds.size());
    EXPECT_FALSE(seen.contains(2011));
    EXPECT_FALSE(seen.contains(2013));
}

TEST(AdErrorTests, MessagesAndSuggestions) {
    EXPECT_EQ(AdError::noFill().message(), "Server did not return an ad");
    EXPECT_EQ(AdError::noFill().recoverySuggestion(), "Please try again");
    EXPECT_EQ(AdError::invalidAdSize().message(), "Ad ad size is invalid");
    EXPECT_EQ(AdError::fetchTimeOut().message(), "Ad load fail's due to fetchTimeout");
    EXPECT_EQ(AdError::networkUnreachable().recoverySuggestion(), "Please check internet connectivity.");
    EXPECT_EQ(AdError::internalError().recoverySuggestion(), "Please contact support@solen.ai");
    EXPECT_EQ(AdError::sdkNotInitilize().recoverySuggestion(),
              "Please initialize the SDK using the initialize method before invoking any other method");
    EXPECT_EQ(AdError::auctionNoFill().recoverySuggestion(), "Please try again");
    EXPECT_EQ(AdError::serverError(1, "x").recoverySuggestion(), "Please try again");
}

TEST(AdErrorTests, ServerErrorCarriesItsCodeOnlyInTheMessage) {
    const auto notFound = AdError::serverError(404, "missing");
    EXPECT_EQ(notFound.code(), 2012);
    EXPECT_EQ(notFound.message(), "serverErrorCode:404, Description:missing");
    EXPECT_EQ(AdError::serverError(2000, "Bad response").message(), "serverErrorCode:2000, Description:Bad response");
    EXPECT_EQ(AdError::serverError(-7, "").message(), "serverErrorCode:-7, Description:");
    EXPECT_EQ(AdError::serverError(1, "a"), AdError::serverError(1, "a"));
    EXPECT_NE(AdError::serverError(1, "a"), AdError::serverError(2, "a"));
}

TEST(AdErrorTests, DescriptionAndUserInfo) {
    const auto error = AdError::noFill();
    EXPECT_EQ(error.description(),
              "Error Domain=ai.solen.SolenAdError Code=2016 UserInfo=[\"NSLocalizedFailureReason\": \"Server did not "
              "return an ad\", \"NSLocalizedRecoverySuggestion\": \"Please try again\"]");
    const auto info = error.userInfo();
    ASSERT_EQ(info.size(), 3u);
    EXPECT_EQ(info.at("NSLocalizedDescription"), error.description());
    EXPECT_EQ(info.at("NSLocalizedFailureReason"), "Server did not return an ad");
    EXPECT_EQ(info.at("NSLocalizedRecoverySuggestion"), "Please try again");

    const auto platformError = AdError::serverError(7, R"(say "hi" \ bye)").toError();
    EXPECT_EQ(platformError.domain, "ai.solen.SolenAdError");
    EXPECT_EQ(platformError.code, 2012);
    EXPECT_EQ(platformError.localizedDescription,
              R"(Error Domain=ai.solen.SolenAdError Code=2012 UserInfo=["NSLocalizedFailureReason": )"
              R"("serverErrorCode:7, Description:say \"hi\" \\ bye", "NSLocalizedRecoverySuggestion": "Please try again"])");
    EXPECT_EQ(platformError.localizedFailureReason, R"(serverErrorCode:7, Description:say "hi" \ bye)");
    EXPECT_EQ(platformError.userInfo.size(), 3u);
    EXPECT_EQ(platformError.userInfo["NSLocalizedDescription"], platformError.localizedDescription);
}

}  // namespace
}  // namespace solen
