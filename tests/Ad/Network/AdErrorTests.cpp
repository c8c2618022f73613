#include "Ad/Network/AdError.h"

#include <gtest/gtest.h>

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

TEST(AdErrorTests, CodesSkip2011And2013) {
    std::vector<std::int64_t> codes;
    for (const auto& error : everyKind()) {
        codes.push_back(error.code());
    }
    EXPECT_EQ(codes, (std::vector<std::int64_t>{2012, 2001, 2002, 2003, 2004, 2005, 2006, 2007, 2008, 2009, 2014, 2015,
                                                2016, 2010}));
}

TEST(AdErrorTests, MessagesAndDescriptions) {
    EXPECT_EQ(AdError::noFill().message(), "Server did not return an ad");
    EXPECT_EQ(AdError::networkUnreachable().recoverySuggestion(), "Please check internet connectivity.");
    EXPECT_EQ(AdError::serverError(404, "missing").message(), "serverErrorCode:404, Description:missing");
    EXPECT_NE(AdError::serverError(1, "a"), AdError::serverError(2, "a"));
    EXPECT_EQ(AdError::noFill().description(),
              "Error Domain=ai.solen.SolenAdError Code=2016 UserInfo=[\"NSLocalizedFailureReason\": \"Server did not "
              "return an ad\", \"NSLocalizedRecoverySuggestion\": \"Please try again\"]");

    // Quotes and backslashes in a server message are escaped in the description.
    const auto platformError = AdError::serverError(7, R"(say "hi" \ bye)").toError();
    EXPECT_EQ(platformError.code, 2012);
    EXPECT_EQ(platformError.localizedDescription,
              R"(Error Domain=ai.solen.SolenAdError Code=2012 UserInfo=["NSLocalizedFailureReason": )"
              R"("serverErrorCode:7, Description:say \"hi\" \\ bye", "NSLocalizedRecoverySuggestion": "Please try again"])");
    EXPECT_EQ(platformError.userInfo.size(), 3u);
    EXPECT_EQ(platformError.userInfo["NSLocalizedDescription"], platformError.localizedDescription);
}

}  // namespace
}  // namespace solen
