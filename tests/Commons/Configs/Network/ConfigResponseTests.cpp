#include "Commons/Configs/ConfigDefaults.h"
#include "Commons/Configs/Network/ConfigNetworkInterface.h"
#include "Commons/Configs/Network/ConfigRequest.h"
#include "Commons/Configs/Network/ConfigResponse.h"
#include "Commons/Json/JsonWriter.h"

#include "support/DispatchWait.h"
#include "support/LogCapture.h"
#include "support/ScriptedHttpSession.h"

#include <gtest/gtest.h>

#include <mutex>

namespace solen {
namespace {

constexpr const char* signalsEntry =
    R"({"type":"signals","status":200,"lastUpdatedTs":1700000000123,"content":{"expiry":86400000,"location":true,"cell":false}})";

std::string body(std::initializer_list<std::string> entries) {
    std::string text = R"({"other":1,"configs":[)";
    bool first = true;
    for (const auto& entry : entries) {
        text += first ? "" : ",";
        text += entry;
        first = false;
    }
    return text + "]}";
}

TEST(ConfigRequestTests, EncodesAllKeysAndLeavesOutAnAbsentAppId) {
    ConfigRequest request{std::nullopt, "p-i-1.0.0-beta4", {}};
    EXPECT_EQ(JsonWriter::encode(request).dump(), R"({"version":"p-i-1.0.0-beta4","configs":[]})");

    request.appId = "";
    request.configs = {{0, ConfigType::root}, {1700000000123, ConfigType::primeMediation}};
    const Json encoded = JsonWriter::encode(request);
    EXPECT_EQ(encoded.dump(), R"({"appId":"","version":"p-i-1.0.0-beta4","configs":[{"lastUpdatedTs":0,"type":"root"},)"
                              R"({"lastUpdatedTs":1700000000123,"type":"primeMediation"}]})");
    EXPECT_EQ(JsonReader(encoded).as<ConfigRequest>(), request);
}

TEST(ConfigResponseTests, DecodesEntriesInOrderAndKeepsDuplicates) {
    const auto response = ConfigResponse::fromBody(body(
        {signalsEntry, R"({"type":"primeMediation","status":304,"lastUpdatedTs":5})",
         R"({"type":"root","status":304,"lastUpdatedTs":6.5,"content":null})", signalsEntry}));
    ASSERT_EQ(response.configs.size(), 4u);
    EXPECT_DOUBLE_EQ(response.configs[0].lastUpdatedTs, 1700000000123.0);
    ASSERT_TRUE(response.configs[0].content.has_value());
    EXPECT_TRUE(std::get<SignalsConfig>(*response.configs[0].content).location);
    EXPECT_EQ(response.configs[1].status, ConfigResponse::ConfigStatus::noChange);
    EXPECT_FALSE(response.configs[1].content.has_value());
    EXPECT_FALSE(response.configs[2].content.has_value());
    EXPECT_EQ(response.configs[3], response.configs[0]);
    EXPECT_EQ(JsonReader(JsonWriter::encode(response)).as<ConfigResponse>(), response);
}

TEST(ConfigResponseTests, SkipsEachBadEntryWithOneLogLineAndFailsWithoutAConfigsArray) {
    test::LogCapture log(2);
    const auto response = ConfigResponse::fromBody(body({
        R"({"type":"root","status":304,"lastUpdatedTs":1})",
        R"({"type":"root","status":201,"lastUpdatedTs":1})",                          // bad status
        R"({"type":"ads","status":200,"lastUpdatedTs":1,"content":{}})",              // unknown type
        "null",                                                                       // not an object
        R"({"type":"signals","status":200,"lastUpdatedTs":1,"content":{"expiry":1}})",  // incomplete document
        R"({"type":"signals","status":"200","lastUpdatedTs":1})",                     // quoted status
        R"({"type":"signals","status":200,"lastUpdatedTs":"1"})",                     // quoted stamp
        R"({"type":"analytics","status":304,"lastUpdatedTs":2})",
    }));
    ASSERT_EQ(response.configs.size(), 2u);
    EXPECT_EQ(response.configs[0].type, ConfigType::root);
    EXPECT_EQ(response.configs[1].type, ConfigType::analytics);
    EXPECT_EQ(log.count("Config failed with error "), 6u);
    EXPECT_TRUE(log.contains("content.location"));

    // Without a configs array the whole answer fails.
    EXPECT_TRUE(ConfigResponse::fromBody(R"({"configs":[]})").configs.empty());
    for (const char* text : {"", "not json", "[]", "{}", R"({"configs":null})", R"({"configs":{}})"}) {
        EXPECT_THROW(ConfigResponse::fromBody(text), JsonDecodingError) << text;
    }
}

using Answer = test::ScriptedHttpSession::Answer;

// Runs one exchange with these root settings and returns its error; the completion must run once.
std::optional<NetworkError> exchange(const std::shared_ptr<test::ScriptedHttpSession>& session, std::int64_t retries,
                                     std::int64_t timeoutMs) {
    RootConfig root = ConfigDefaults::root(0);
    root.url = "https://config.test/configs";
    root.retry = {retries, 0};
    root.fetchTimeout = timeoutMs;
    std::mutex mutex;
    int calls = 0;
    std::optional<NetworkError> error;
    ConfigNetworkInterface interface([root] { return root; }, session);
    interface.fetch(ConfigRequest{"app", "p-i-1.0.0-beta4", {{0, ConfigType::root}}},
                    [&](std::optional<ConfigResponse>, std::optional<NetworkError> outcome) {
                        std::lock_guard<std::mutex> lock(mutex);
                        ++calls;
                        error = std::move(outcome);
                    });
    EXPECT_TRUE(test::waitUntil([&] {
        std::lock_guard<std::mutex> lock(mutex);
        return calls > 0;
    }));
    EXPECT_TRUE(test::drainGlobalQueue());
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_EQ(calls, 1);
    return error;
}

TEST(ConfigNetworkInterfaceTests, RetriesAsTheRootAllowsButNotAfterATransportFailureWithMillisecondTimeOuts) {
    auto session = test::ScriptedHttpSession::create();
    session->setDefaultAnswer(Answer::status(500, "{}"));
    EXPECT_EQ(exchange(session, 2, 2500)->kind(), NetworkError::Kind::serverError);
    EXPECT_EQ(session->requestCount(), 3u);
    EXPECT_DOUBLE_EQ(session->requests().at(0).timeoutInterval(), 2.5);

    session->setDefaultAnswer(Answer::failure(-1009));
    EXPECT_EQ(exchange(session, 3, 1000)->kind(), NetworkError::Kind::networkNotAvailable);
    EXPECT_EQ(session->requestCount(), 4u);

    // Time-outs keep milliseconds and are never zero.
    EXPECT_DOUBLE_EQ(ConfigNetworkInterface::timeoutSeconds(999), 0.999);
    EXPECT_DOUBLE_EQ(ConfigNetworkInterface::timeoutSeconds(0), 10.0);
    EXPECT_DOUBLE_EQ(ConfigNetworkInterface::timeoutSeconds(-5), 10.0);
    EXPECT_DOUBLE_EQ(ConfigNetworkInterface::retryIntervalSeconds(1500), 1.5);
    EXPECT_DOUBLE_EQ(ConfigNetworkInterface::retryIntervalSeconds(-1), 0.0);
}

}  // namespace
}  // namespace solen
