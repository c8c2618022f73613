#include "Commons/Configs/ConfigDefaults.h"
#include "Commons/Configs/Network/ConfigNetworkInterface.h"
#include "Commons/Utilities/Utilities.h"

#include "support/DispatchWait.h"
#include "support/LogCapture.h"
#include "support/ScriptedHttpSession.h"

#include <gtest/gtest.h>

#include <mutex>

namespace solen {
namespace {

using Answer = test::ScriptedHttpSession::Answer;

class ConfigNetworkInterfaceTest : public ::testing::Test {
protected:
    void SetUp() override { Utilities::setUserAgent(std::nullopt); }
    void TearDown() override { EXPECT_TRUE(test::drainGlobalQueue()); }

    // Runs one exchange with this root document and waits for its outcome.
    void exchange(const RootConfig& root) {
        ConfigNetworkInterface interface([root] { return root; }, session);
        interface.fetch(ConfigRequest{"app", "p-i-1.0.0-beta4", {{0, ConfigType::root}}},
                        [this](std::optional<ConfigResponse> response, std::optional<NetworkError> error) {
                            std::lock_guard<std::mutex> lock(mutex);
                            ++calls;
                            this->response = std::move(response);
                            this->error = std::move(error);
                        });
        ASSERT_TRUE(test::waitUntil([this] {
            std::lock_guard<std::mutex> lock(mutex);
            return calls > 0;
        }));
        EXPECT_TRUE(test::drainGlobalQueue());
        std::lock_guard<std::mutex> lock(mutex);
        EXPECT_EQ(calls, 1);
    }

    RootConfig root(std::int64_t retries, std::int64_t timeoutMs) const {
        RootConfig config = ConfigDefaults::root(0);
        config.url = "https://config.test/configs";
        config.retry = {retries, 0};
        config.fetchTimeout = timeoutMs;
        return config;
    }

    std::shared_ptr<test::ScriptedHttpSession> session = test::ScriptedHttpSession::create();
    std::mutex mutex;
    int calls = 0;
    std::optional<ConfigResponse> response;
    std::optional<NetworkError> error;
};

TEST_F(ConfigNetworkInterfaceTest, PostsTheRequestWithTheRootSettings) {
    session->enqueue(Answer::status(200, R"({"configs":[]})"));
    exchange(root(2, 2500));
    ASSERT_TRUE(response.has_value());
    EXPECT_TRUE(response->configs.empty());
    EXPECT_FALSE(error.has_value());
    const auto request = session->requests().at(0);
    EXPECT_EQ(request.url()->absoluteString(), "https://config.test/configs");
    EXPECT_EQ(request.httpMethod(), "POST");
    EXPECT_DOUBLE_EQ(request.timeoutInterval(), 2.5);
    EXPECT_FALSE(request.value("user-agent").has_value());
    EXPECT_EQ(Json::parse(std::string(request.httpBody()->begin(), request.httpBody()->end())),
              Json::parse(R"({"appId":"app","version":"p-i-1.0.0-beta4","configs":[{"lastUpdatedTs":0,"type":"root"}]})"));
}

TEST_F(ConfigNetworkInterfaceTest, RetriesAsTheRootAllowsAndSendsTheUserAgent) {
    Utilities::setUserAgent("Agent/2");
    session->setDefaultAnswer(Answer::status(500, "{}"));
    exchange(root(2, 1000));
    EXPECT_EQ(session->requestCount(), 3u);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->kind(), NetworkError::Kind::serverError);
    EXPECT_EQ(session->requests().at(2).value("user-agent"), "Agent/2");
    Utilities::setUserAgent(std::nullopt);
}

TEST_F(ConfigNetworkInterfaceTest, TransportErrorReachesTheCompletionUnchanged) {
    test::LogCapture log;
    session->setDefaultAnswer(Answer::failure(-1009));
    exchange(root(3, 1000));
    EXPECT_EQ(session->requestCount(), 1u);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->kind(), NetworkError::Kind::networkNotAvailable);
    EXPECT_FALSE(response.has_value());
    EXPECT_TRUE(test::waitUntil([&] { return log.contains("Failed to parse or process Config Response"); }));
}

TEST_F(ConfigNetworkInterfaceTest, EmptyOrInvalidBodyIsAnInvalidConfig) {
    for (const char* body : {"", "{}", R"({"configs":{}})"}) {
        calls = 0;
        session->enqueue(Answer::status(body[0] ? 200 : 204, body));
        exchange(root(0, 1000));
        ASSERT_TRUE(error.has_value()) << body;
        EXPECT_EQ(*error, NetworkError::requestFailed(1001, "Fetched Invalid Config "));
        EXPECT_FALSE(response.has_value());
    }
}

TEST(ConfigNetworkInterfaceTimingTests, TimeOutsKeepMillisecondsAndAreNeverZero) {
    EXPECT_DOUBLE_EQ(ConfigNetworkInterface::timeoutSeconds(10000), 10.0);
    EXPECT_DOUBLE_EQ(ConfigNetworkInterface::timeoutSeconds(999), 0.999);
    EXPECT_DOUBLE_EQ(ConfigNetworkInterface::timeoutSeconds(0), 10.0);
    EXPECT_DOUBLE_EQ(ConfigNetworkInterface::timeoutSeconds(-5), 10.0);
    EXPECT_DOUBLE_EQ(ConfigNetworkInterface::retryIntervalSeconds(10000), 10.0);
    EXPECT_DOUBLE_EQ(ConfigNetworkInterface::retryIntervalSeconds(1500), 1.5);
    EXPECT_DOUBLE_EQ(ConfigNetworkInterface::retryIntervalSeconds(-1), 0.0);
}

}  // namespace
}  // namespace solen
