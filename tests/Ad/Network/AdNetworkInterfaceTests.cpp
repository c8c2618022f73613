#include "Ad/Network/AdNetworkInterface.h"
#include "Ad/Network/AdRequest.h"
#include "Ad/Network/Signals/Identifiers.h"
#include "Commons/Storage/KeyValueStore.h"

#include "support/DispatchWait.h"
#include "support/LocalHttpServer.h"
#include "support/LocalServiceEndpoint.h"
#include "support/LogCapture.h"
#include "support/ScopedUserDefaults.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace solen {
namespace {

using namespace std::chrono_literals;

const std::string validBody =
    R"({"requestId":"srv-1","refreshConfig":false,"noAdFillEventUrl":"https://t.test/nf","auctionTimeout":1500,)"
    R"("ads":[{"lineItemId":"li-1","networkId":"net-1","trackers":{"impression":["https://t.test/i?c=$CR_ID"]}}]})";

Response answer(std::int64_t status, std::optional<std::string> body) {
    Response response;
    response.statusCode = status;
    if (body) {
        response.responseBody = std::vector<std::uint8_t>(body->begin(), body->end());
    }
    return response;
}

}  // namespace

void PrintTo(const AdError& error, std::ostream* os) { *os << error.description(); }

namespace {

const AdError* errorOf(const std::variant<AdResponse, AdError>& result) { return std::get_if<AdError>(&result); }

TEST(AdNetworkInterfaceTests, AnswersAndTransportFailuresMapToOutcomes) {
    test::LogCapture log;
    EXPECT_EQ(errorOf(AdNetworkInterface::outcome(answer(200, "{}")))->code(), 2012);
    EXPECT_TRUE(log.contains("required key is missing"));
    const auto decoded = AdNetworkInterface::outcome(answer(302, validBody));
    ASSERT_TRUE(std::holds_alternative<AdResponse>(decoded));
    EXPECT_EQ(std::get<AdResponse>(decoded).ads.at(0).networkId, "net-1");

    EXPECT_EQ(AdNetworkInterface::outcome(NetworkError::networkNotAvailable("gone")), AdError::networkUnreachable());
}

// Outcomes as the owner sees them: one entry per callback, in arrival order.
struct Recorder {
    std::mutex mutex;
    std::vector<std::pair<std::string, std::variant<AdResponse, AdError>>> outcomes;
    // Answers announced before their decode; for each decoded answer, how many had been announced.
    int arrivals = 0;
    std::vector<int> arrivalsBeforeResponse;

    void attach(AdNetworkInterface& client) {
        client.setWillDecodeAdResponse([this] {
            std::lock_guard lock(mutex);
            ++arrivals;
        });
        client.setDidGetAdResponse([this](const AdResponse& response, const std::string& id) {
            std::lock_guard lock(mutex);
            outcomes.emplace_back(id, response);
            arrivalsBeforeResponse.push_back(arrivals);
        });
        client.setDidFailToGetAdResponseWithError([this](const AdError& error, const std::string& id) {
            std::lock_guard lock(mutex);
            outcomes.emplace_back(id, error);
        });
    }
    std::size_t count() {
        std::lock_guard lock(mutex);
        return outcomes.size();
    }
    int arrivalCount() {
        std::lock_guard lock(mutex);
        return arrivals;
    }
    std::pair<std::string, std::variant<AdResponse, AdError>> only() {
        EXPECT_TRUE(test::waitUntil([this] { return count() > 0; }, 10s));
        std::this_thread::sleep_for(50ms);
        std::lock_guard lock(mutex);
        EXPECT_EQ(outcomes.size(), 1u);
        return outcomes.at(0);
    }
};

class BidExchangeTests : public ::testing::Test {
protected:
    void SetUp() override {
        server_.setHandler(nullptr);
        server_.clearRequests();
    }

    // A client whose bid requests are the real ones, with a short time-out.
    std::shared_ptr<AdNetworkInterface> makeClient(double timeoutSeconds = 5) {
        auto client = AdNetworkInterface::create(nullptr, [timeoutSeconds](const std::string& unit, const ImpressionInfo& imp) {
            auto request = AdRequest::create(unit, imp);
            if (request) request->setTimeout(timeoutSeconds);
            return request;
        });
        recorder_.attach(*client);
        return client;
    }

    std::pair<std::string, std::variant<AdResponse, AdError>> exchange(test::ScriptedAnswer scripted) {
        server_.enqueue("/bid", std::move(scripted));
        auto client = makeClient();
        client->getAd("load-1", "unit-1", ImpressionInfo{});
        return recorder_.only();
    }

    test::ScopedUserDefaults defaults_;
    test::LocalHttpServer& server_ = test::localServiceEndpoint();
    Recorder recorder_;
};

TEST_F(BidExchangeTests, SuccessfulBidDeliversTheDecodedResponse) {
    auto client = makeClient();
    server_.enqueue("/bid", test::ScriptedAnswer::json(200, validBody));
    client->getAd("load-1", "unit-1", ImpressionInfo{});
    const auto [id, result] = recorder_.only();
    EXPECT_EQ(id, "load-1");
    ASSERT_TRUE(std::holds_alternative<AdResponse>(result));
    EXPECT_EQ(std::get<AdResponse>(result).requestId, "srv-1");
    EXPECT_EQ(recorder_.arrivalsBeforeResponse, std::vector<int>{1});

    const auto request = server_.requests().at(0);
    EXPECT_EQ(request.method + " " + request.target, "POST /bid");
    EXPECT_EQ(request.header("Content-Type"), "application/json");
    EXPECT_TRUE(Json::parse(request.body).contains("imp"));
    // The caller's id tags the callbacks only; the document carries its own id.
    EXPECT_EQ(request.body.find("load-1"), std::string::npos);

    // The send stamps the last-activity time, in memory and in the store.
    ASSERT_TRUE(client->timeStamp());
    EXPECT_EQ(Identifiers::lastActivityTs(), *client->timeStamp());
    EXPECT_EQ(KeyValueStore::get("lastActivityTs")->toJson(), Json(*client->timeStamp()));
}

TEST_F(BidExchangeTests, EveryAnswerBecomesOneOutcomeWithoutRetry) {
    const std::vector<std::pair<test::ScriptedAnswer, AdError>> cases = {
        {test::ScriptedAnswer::text(204, ""), AdError::noFill()},
        {test::ScriptedAnswer::json(404, R"({"errors":["a","b"]})"), AdError::serverError(2000, "ab")},
        {test::ScriptedAnswer::text(503, "down"), AdError::serverError(2000, "Service Returned An Error")},
        {test::ScriptedAnswer::json(200, "not json"), AdError::serverError(2000, "Bad response")},
        {test::ScriptedAnswer::json(200, "{\"requestId\":1}"), AdError::serverError(2000, "Bad response")},
        {test::ScriptedAnswer::json(200, std::string(300000, '{')), AdError::serverError(2000, "Bad response")},
    };
    for (const auto& [scripted, expected] : cases) {
        recorder_.outcomes.clear();
        const auto [id, result] = exchange(scripted);
        EXPECT_EQ(id, "load-1");
        ASSERT_NE(errorOf(result), nullptr);
        EXPECT_EQ(*errorOf(result), expected);
    }
    EXPECT_EQ(server_.requestCount(), cases.size());
}

// A valid answer padded with an unknown key to exactly `size` bytes.
std::string paddedTo(const std::string& body, std::size_t size) {
    const std::string open = body.substr(0, body.size() - 1) + R"(,"padding":")";
    return open + std::string(size - open.size() - 2, 'x') + "\"}";
}

TEST_F(BidExchangeTests, AnswerOverTheDocumentLimitFailsBeforeDecoding) {
    auto [id, result] = exchange(test::ScriptedAnswer::json(200, paddedTo(validBody, Request::documentBodyLimit)));
    ASSERT_TRUE(std::holds_alternative<AdResponse>(result));

    recorder_.outcomes.clear();
    std::tie(id, result) = exchange(test::ScriptedAnswer::json(200, paddedTo(validBody, Request::documentBodyLimit + 1)));
    ASSERT_NE(errorOf(result), nullptr);
    EXPECT_EQ(errorOf(result)->kind(), AdError::Kind::serverError);
    EXPECT_EQ(errorOf(result)->serverCode(), -1103);  // the transport's refusal, not a bad document
}

TEST_F(BidExchangeTests, TimeOutAndUnreachableServer) {
    // The address of a server that is gone. Made before the slow exchange: starting a test server
    // while another one's handler runs trips ThreadSanitizer inside the server library's regex
    // handling, which is not ours.
    auto closed = std::make_unique<test::LocalHttpServer>();
    const auto closedUrl = *platform::URL::parse(closed->url("/bid"));
    closed.reset();

    server_.enqueue("/bid", test::ScriptedAnswer::slow(2s, 200, validBody));
    auto client = makeClient(0.2);
    client->getAd("slow", "unit-1", ImpressionInfo{});
    auto [id, result] = recorder_.only();
    EXPECT_EQ(id, "slow");
    ASSERT_NE(errorOf(result), nullptr);
    EXPECT_EQ(errorOf(result)->code(), 2012);
    EXPECT_NE(errorOf(result)->serverCode(), 2000);

    // A server that is gone: the connection is refused.
    recorder_.outcomes.clear();
    client = AdNetworkInterface::create(nullptr, [closedUrl](const std::string&, const ImpressionInfo&) {
        return std::make_shared<AdRequest>(closedUrl, Json::object(), 2.0);
    });
    recorder_.attach(*client);
    client->getAd("down", "unit-1", ImpressionInfo{});
    std::tie(id, result) = recorder_.only();
    EXPECT_EQ(id, "down");
    ASSERT_NE(errorOf(result), nullptr);
    EXPECT_EQ(errorOf(result)->kind(), AdError::Kind::serverError);
}

TEST_F(BidExchangeTests, SupersededRequestOutcomeIsDropped) {
    server_.enqueue("/bid", test::ScriptedAnswer::slow(400ms, 200, validBody));
    server_.enqueue("/bid", test::ScriptedAnswer::text(204, ""));
    auto client = makeClient();
    client->getAd("first", "unit-1", ImpressionInfo{});
    ASSERT_TRUE(server_.waitForRequests(1, 5s));
    client->getAd("second", "unit-1", ImpressionInfo{});
    const auto [id, result] = recorder_.only();
    EXPECT_EQ(id, "second");
    EXPECT_EQ(*errorOf(result), AdError::noFill());
    // The slow answer to the first request arrives later and is dropped, unannounced.
    std::this_thread::sleep_for(600ms);
    EXPECT_EQ(recorder_.count(), 1u);
    EXPECT_EQ(recorder_.arrivalCount(), 1);
    EXPECT_EQ(client->requestId(), "second");
}

TEST_F(BidExchangeTests, ReleasedClientGetsNoCallback) {
    server_.enqueue("/bid", test::ScriptedAnswer::slow(200ms, 200, validBody));
    auto client = makeClient();
    client->getAd("gone", "unit-1", ImpressionInfo{});
    ASSERT_TRUE(server_.waitForRequests(1, 5s));
    client.reset();
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(recorder_.count(), 0u);
}

TEST_F(BidExchangeTests, UnbuildableRequestSendsNothing) {
    test::LogCapture log(2);
    auto client = AdNetworkInterface::create(nullptr, [](const std::string&, const ImpressionInfo&) {
        return std::shared_ptr<Request>();
    });
    recorder_.attach(*client);
    client->getAd("load-x", "unit-1", ImpressionInfo{});
    std::this_thread::sleep_for(100ms);
    EXPECT_TRUE(log.contains("Incorrect AdRequest params are passed "));
    EXPECT_EQ(recorder_.count(), 0u);
    EXPECT_EQ(server_.requestCount(), 0u);
}

TEST_F(BidExchangeTests, BidRequestTakesTheFetchTimeOutAndNoRetries) {
    const auto request = AdRequest::create("unit-1", ImpressionInfo{});
    ASSERT_TRUE(request);
    EXPECT_EQ(request->url().absoluteString(), server_.url("/bid"));
    EXPECT_EQ(request->timeout(), 60.0);
    EXPECT_FALSE(request->retryCount());
}

}  // namespace
}  // namespace solen
