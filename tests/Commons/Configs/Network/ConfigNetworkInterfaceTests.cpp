#include "Commons/Configs/ConfigDefaults.h"
#include "Commons/Configs/Network/ConfigNetworkInterface.h"

#include "support/DispatchWait.h"
#include "support/ScriptedHttpSession.h"

#include <gtest/gtest.h>

#include <mutex>

namespace solen {
namespace {

using Answer = test::ScriptedHttpSession::Answer;

class ConfigNetworkInterfaceTest : public ::testing::Test {
protected:
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

TEST_F(ConfigNetworkInterfaceTest, RetriesAsTheRootAllowsButNotAfterATransportFailure) {
    session->setDefaultAnswer(Answer::status(500, "{}"));
    exchange(root(2, 2500));
    EXPECT_EQ(session->requestCount(), 3u);
    EXPECT_DOUBLE_EQ(session->requests().at(0).timeoutInterval(), 2.5);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->kind(), NetworkError::Kind::serverError);

    calls = 0;
    session->setDefaultAnswer(Answer::failure(-1009));
    exchange(root(3, 1000));
    EXPECT_EQ(session->requestCount(), 4u);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->kind(), NetworkError::Kind::networkNotAvailable);
}

TEST(ConfigNetworkInterfaceTimingTests, TimeOutsKeepMillisecondsAndAreNeverZero) {
    EXPECT_DOUBLE_EQ(ConfigNetworkInterface::timeoutSeconds(999), 0.999);
    EXPECT_DOUBLE_EQ(ConfigNetworkInterface::timeoutSeconds(0), 10.0);
    EXPECT_DOUBLE_EQ(ConfigNetworkInterface::timeoutSeconds(-5), 10.0);
    EXPECT_DOUBLE_EQ(ConfigNetworkInterface::retryIntervalSeconds(1500), 1.5);
    EXPECT_DOUBLE_EQ(ConfigNetworkInterface::retryIntervalSeconds(-1), 0.0);
}

}  // namespace
}  // namespace solen
