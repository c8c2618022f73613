#include "Commons/Network/NetworkServiceProvider.h"

#include "support/DispatchWait.h"
#include "support/NetworkOutcomeRecorder.h"
#include "support/ScopedManualClock.h"
#include "support/ScriptedHttpSession.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace solen {
namespace {

using test::NetworkOutcomeRecorder;
using test::ScriptedHttpSession;
using Answer = ScriptedHttpSession::Answer;

std::shared_ptr<Request> makeRequest(Request::HTTPMethod method = Request::HTTPMethod::get,
                                     std::optional<std::int64_t> retryCount = std::nullopt) {
    auto request = Request::create(*platform::URL::parse("http://service.test/path"), method);
    request->setRetryCount(retryCount);
    return request;
}

std::string text(const std::optional<std::vector<std::uint8_t>>& bytes) {
    return bytes ? std::string(bytes->begin(), bytes->end()) : "<absent>";
}

struct Fixture : ::testing::Test {
    std::shared_ptr<ScriptedHttpSession> session = ScriptedHttpSession::create();
    std::shared_ptr<NetworkServiceProvider> provider = NetworkServiceProvider::create(session);
    NetworkOutcomeRecorder recorder{*provider, session->delegateQueue()};
};

using NetworkServiceProviderTest = Fixture;

TEST_F(NetworkServiceProviderTest, SuccessNoContentAndRedirectReachTheResponseCallbackWithTheirBodiesOnTheSessionQueue) {
    session->enqueue({Answer::status(200, R"({"ok":true})", {{"X-Id", "7"}}), Answer::status(204), Answer::status(302, "moved")});
    for (std::size_t sent = 1; sent <= 3; ++sent) {
        provider->send(makeRequest());
        ASSERT_TRUE(recorder.waitForOutcomes(sent));
    }
    const auto responses = recorder.responses();
    ASSERT_EQ(responses.size(), 3u);
    EXPECT_EQ(responses[0].statusCode, 200);
    EXPECT_EQ(text(responses[0].responseBody), R"({"ok":true})");
    ASSERT_TRUE(responses[0].header.has_value());
    EXPECT_EQ(responses[0].header->value("x-id"), "7");
    EXPECT_EQ(responses[1].statusCode, 204);
    EXPECT_EQ(text(responses[1].responseBody), "");  // empty, not absent
    EXPECT_EQ(responses[2].statusCode, 302);
    EXPECT_EQ(text(responses[2].responseBody), "moved");
    EXPECT_EQ(recorder.events(), (std::vector<std::string>{"header", "response", "header", "response", "header", "response"}));
    EXPECT_TRUE(recorder.errors().empty());
    EXPECT_TRUE(recorder.allOnExpectedQueue());
}

TEST(NetworkServiceProviderClassification, EachFailureIsReportedOnceWithItsKindAndMessage) {
    struct Case {
        const char* name;
        Answer answer;
        NetworkError expected;
    };
    const std::vector<Case> cases = {
        {"timeout", Answer::failure(-1001), NetworkError::requestFailed(-1001, "The request timed out.")},
        {"offline", Answer::failure(-1009), NetworkError::networkNotAvailable("Network not available. Please try again")},
        {"no body", Answer::withoutBody(200), NetworkError::serverError("Response returned with no data to decode.")},
        {"not http", Answer::notHTTP(), NetworkError::serverError("Bad Response")},
        {"404 with list", Answer::status(404, R"({"errors":["a","b"]})"), NetworkError::clientError("ab")},
        {"404 html", Answer::status(404, "<html>nope</html>"), NetworkError::clientError("Client Error")},
        {"400 empty object", Answer::status(400, "{}"), NetworkError::clientError("Client Error")},
        {"400 empty list", Answer::status(400, R"({"errors":[]})"), NetworkError::clientError("Client Error")},
        {"400 null list", Answer::status(400, R"({"errors":null,"x":1})"), NetworkError::clientError("Client Error")},
        {"400 list of numbers", Answer::status(400, R"({"errors":[1]})"), NetworkError::clientError("Client Error")},
        {"499 extra keys", Answer::status(499, R"({"code":9,"errors":["x"]})"), NetworkError::clientError("x")},
        {"503 no list", Answer::status(503, ""), NetworkError::serverError("Service Returned An Error")},
        {"500 with list", Answer::status(500, R"({"errors":["down"," for now"]})"), NetworkError::serverError("down for now")},
        {"600", Answer::status(600, "{}"), NetworkError::serverError("Service Returned An Error")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto session = ScriptedHttpSession::create();
        auto provider = NetworkServiceProvider::create(session);
        NetworkOutcomeRecorder recorder(*provider);
        session->enqueue(c.answer);
        provider->send(makeRequest());
        ASSERT_TRUE(recorder.waitForOutcomes(1));
        ASSERT_TRUE(test::drainGlobalQueue());
        ASSERT_EQ(recorder.errors().size(), 1u);
        EXPECT_EQ(recorder.errors().front(), c.expected);
        EXPECT_TRUE(recorder.responses().empty());
        EXPECT_EQ(session->requestCount(), 1u);
    }
}

TEST_F(NetworkServiceProviderTest, HeaderCallbackRunsForEveryHttpAnswerButNotForTransportFailuresOrMissingBodies) {
    auto request = makeRequest(Request::HTTPMethod::get, 1);
    session->enqueue({Answer::status(500, "", {{"Retry-After", "1"}}), Answer::status(500)});
    provider->send(request);
    ASSERT_TRUE(recorder.waitForOutcomes(1));
    EXPECT_EQ(recorder.events(), (std::vector<std::string>{"header", "header", "error"}));
    EXPECT_EQ(recorder.headers().front().value("retry-after"), "1");

    session->enqueue({Answer::failure(-1005), Answer::withoutBody()});
    provider->send(makeRequest());
    provider->send(makeRequest());
    ASSERT_TRUE(recorder.waitForOutcomes(3));
    EXPECT_EQ(recorder.headers().size(), 2u);
}

TEST_F(NetworkServiceProviderTest, ServerAndClientErrorsAreRetriedUntilTheCountIsUsedUp) {
    auto serverFailing = makeRequest(Request::HTTPMethod::get, 1);
    session->setDefaultAnswer(Answer::status(503));
    provider->send(serverFailing);
    ASSERT_TRUE(recorder.waitForOutcomes(1));
    EXPECT_EQ(session->requestCount(), 2u);
    EXPECT_EQ(recorder.errors().front(), NetworkError::serverError("Service Returned An Error"));
    EXPECT_EQ(serverFailing->retryCount(), 0);

    session->setDefaultAnswer(Answer::status(404));
    provider->send(makeRequest(Request::HTTPMethod::get, 2));
    ASSERT_TRUE(recorder.waitForOutcomes(2));
    EXPECT_EQ(session->requestCount(), 5u);
    EXPECT_EQ(recorder.errors().back(), NetworkError::clientError("Client Error"));

    // Offline is never retried.
    session->setDefaultAnswer(Answer::failure(-1009));
    provider->send(makeRequest(Request::HTTPMethod::get, 3));
    ASSERT_TRUE(recorder.waitForOutcomes(3));
    ASSERT_TRUE(test::drainGlobalQueue());
    EXPECT_EQ(session->requestCount(), 6u);
    EXPECT_EQ(recorder.errors().back().kind(), NetworkError::Kind::networkNotAvailable);
    EXPECT_EQ(recorder.errors().back().errorCode(), 2003);

    // Nor is an answer over the size limit: it would be as large again.
    session->setDefaultAnswer(Answer::failure(-1103));
    provider->send(makeRequest(Request::HTTPMethod::get, 3));
    ASSERT_TRUE(recorder.waitForOutcomes(4));
    ASSERT_TRUE(test::drainGlobalQueue());
    EXPECT_EQ(session->requestCount(), 7u);
    EXPECT_EQ(recorder.errors().back().kind(), NetworkError::Kind::requestFailed);
    EXPECT_EQ(recorder.errors().back().errorCode(), -1103);
}

TEST_F(NetworkServiceProviderTest, EveryRetryableFailureRetriesAndALaterSuccessEndsTheChain) {
    session->enqueue({Answer::failure(-1001), Answer::withoutBody(), Answer::notHTTP(), Answer::status(500),
                      Answer::status(200, "finally")});
    auto request = makeRequest(Request::HTTPMethod::get, 10);
    provider->send(request);
    ASSERT_TRUE(recorder.waitForOutcomes(1));
    ASSERT_TRUE(test::drainGlobalQueue());
    EXPECT_EQ(session->requestCount(), 5u);
    ASSERT_EQ(recorder.responses().size(), 1u);
    EXPECT_EQ(text(recorder.responses().front().responseBody), "finally");
    EXPECT_EQ(request->retryCount(), 6);
    EXPECT_TRUE(recorder.errors().empty());
}

TEST_F(NetworkServiceProviderTest, RetryWaitsExactlyTheIntervalOnTheSharedClockWithMillisecondPrecision) {
    test::ScopedManualClock clock;
    session->setDefaultAnswer(Answer::failure(-1001));
    auto request = makeRequest(Request::HTTPMethod::get, 2);
    request->setRetryInterval(0.75);
    provider->send(request);

    ASSERT_TRUE(test::drainGlobalQueue());
    EXPECT_EQ(session->requestCount(), 1u);
    clock.advanceSeconds(0.749);
    ASSERT_TRUE(test::drainGlobalQueue());
    EXPECT_EQ(session->requestCount(), 1u);
    clock.advanceSeconds(0.001);
    ASSERT_TRUE(test::drainGlobalQueue());
    EXPECT_EQ(session->requestCount(), 2u);
    clock.advanceSeconds(0.75);
    ASSERT_TRUE(recorder.waitForOutcomes(1));
    EXPECT_EQ(session->requestCount(), 3u);

    const auto times = session->sendTimes();
    ASSERT_EQ(times.size(), 3u);
    EXPECT_EQ(times[1] - times[0], std::chrono::milliseconds(750));
    EXPECT_EQ(times[2] - times[1], std::chrono::milliseconds(750));
    EXPECT_EQ(recorder.errors().front(), NetworkError::requestFailed(-1001, "The request timed out."));
}

TEST_F(NetworkServiceProviderTest, NegativeOrNonFiniteIntervalsRetryAtOnceAndAbsentCountSendsOnce) {
    test::ScopedManualClock clock;
    session->setDefaultAnswer(Answer::status(500));
    for (const double interval : {-5.0, std::numeric_limits<double>::quiet_NaN()}) {
        auto request = makeRequest(Request::HTTPMethod::get, 1);
        request->setRetryInterval(interval);
        provider->send(request);
    }
    ASSERT_TRUE(recorder.waitForOutcomes(2));
    EXPECT_EQ(session->requestCount(), 4u);

    provider->send(makeRequest(Request::HTTPMethod::get, std::nullopt));
    provider->send(makeRequest(Request::HTTPMethod::get, 0));
    provider->send(makeRequest(Request::HTTPMethod::get, -3));
    ASSERT_TRUE(recorder.waitForOutcomes(5));
    EXPECT_EQ(session->requestCount(), 7u);
}

TEST(NetworkServiceProviderLifetime, WithoutCallbacksRetriesStillRunAndTheChainOutlivesItsOwner) {
    auto session = ScriptedHttpSession::create();
    session->setDefaultAnswer(Answer::status(503));
    {
        auto provider = NetworkServiceProvider::create(session);
        provider->send(makeRequest(Request::HTTPMethod::post, 2));
    }
    EXPECT_TRUE(test::waitUntil([&] { return session->requestCount() == 3; }));
    ASSERT_TRUE(test::drainGlobalQueue());
    EXPECT_EQ(session->requestCount(), 3u);

    session->setDefaultAnswer(Answer::status(200, "late"));
    auto provider = NetworkServiceProvider::create(session);
    NetworkOutcomeRecorder recorder(*provider);
    provider->send(makeRequest());
    provider.reset();
    ASSERT_TRUE(recorder.waitForOutcomes(1));
    EXPECT_EQ(text(recorder.responses().front().responseBody), "late");
}

TEST_F(NetworkServiceProviderTest, BodyThatCannotBeEncodedIsNeverSentAndFailsOnceWithoutRetry) {
    auto request = Request::create(*platform::URL::parse("http://service.test/bid"), Request::HTTPMethod::post,
                                   Encodable(Json{{"price", std::numeric_limits<double>::infinity()}}));
    request->setRetryCount(3);
    provider->send(request);
    ASSERT_TRUE(recorder.waitForOutcomes(1));
    ASSERT_TRUE(test::drainGlobalQueue());

    EXPECT_EQ(session->requestCount(), 0u);
    ASSERT_EQ(recorder.errors().size(), 1u);
    const NetworkError error = recorder.errors().front();
    EXPECT_EQ(error.kind(), NetworkError::Kind::requestFailed);
    EXPECT_EQ(error.errorCode(), NetworkError::bodyEncodingFailedCode);
    EXPECT_NE(error.message().find("price"), std::string::npos);
    EXPECT_TRUE(recorder.allOnExpectedQueue());
}

TEST_F(NetworkServiceProviderTest, EachAttemptRebuildsTheRequestWithItsBodyAndHeaders) {
    int encodings = 0;
    auto request = Request::create(*platform::URL::parse("http://service.test/bid"), Request::HTTPMethod::post,
                                   Encodable::fromEncoder([&encodings] { return Json{{"attempt", ++encodings}}; }));
    request->setRetryCount(1);
    request->addHeaders({{"X-Key", "k"}});
    session->enqueue({Answer::status(500), Answer::status(200)});
    provider->send(request);
    ASSERT_TRUE(recorder.waitForOutcomes(1));

    const auto sent = session->requests();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(text(sent[0].httpBody()), R"({"attempt":1})");
    EXPECT_EQ(text(sent[1].httpBody()), R"({"attempt":2})");
    for (const auto& attempt : sent) {
        EXPECT_EQ(attempt.httpMethod(), "POST");
        EXPECT_EQ(attempt.value("Content-Type"), "application/json");
        EXPECT_EQ(attempt.value("x-key"), "k");
    }
}

TEST(NetworkErrorDescription, CarriesDomainCodeAndUserInfo) {
    const auto failed = NetworkError::requestFailed(-1001, "The request \"timed\" out.");
    EXPECT_EQ(failed.errorDescription(),
              R"(ai.solen.networkError -1001 ["responseCode": -1001, "Info": "The request \"timed\" out."])");
    EXPECT_EQ(failed.errorUserInfo(), (Json{{"responseCode", -1001}, {"Info", "The request \"timed\" out."}}));

    const auto client = NetworkError::clientError("bad");
    EXPECT_EQ(client.errorCode(), 2001);
    EXPECT_EQ(client.errorDescription(), R"(ai.solen.networkError 2001 ["Info": "bad"])");
    const platform::Error error = NetworkError::serverError("down").toError();
    EXPECT_EQ(error.domain, "ai.solen.networkError");
    EXPECT_EQ(error.code, 2002);
    EXPECT_EQ(error.userInfo, (Json{{"Info", "down"}}));
}

}  // namespace
}  // namespace solen
