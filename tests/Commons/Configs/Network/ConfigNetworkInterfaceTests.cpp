#include "Commons/Configs/ConfigDefaults.h"
#include "Commons/Configs/Network/ConfigNetworkInterface.h"

#include "support/DispatchWait.h"
#include "support/ScriptedHttpSession.h"

#include <gtest/gtest.h>

#include <mutex>

namespace solen {
namespace {

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

TEST(ConfigNetworkInterfaceTests, RetriesAsTheRootAllowsButNotAfterATransportFailure) {
    auto session = test::ScriptedHttpSession::create();
    session->setDefaultAnswer(Answer::status(500, "{}"));
    EXPECT_EQ(exchange(session, 2, 2500)->kind(), NetworkError::Kind::serverError);
    EXPECT_EQ(session->requestCount(), 3u);
    EXPECT_DOUBLE_EQ(session->requests().at(0).timeoutInterval(), 2.5);

    session->setDefaultAnswer(Answer::failure(-1009));
    EXPECT_EQ(exchange(session, 3, 1000)->kind(), NetworkError::Kind::networkNotAvailable);
    EXPECT_EQ(session->requestCount(), 4u);
}

TEST(ConfigNetworkInterfaceTests, TimeOutsKeepMillisecondsAndAreNeverZero) {
    EXPECT_DOUBLE_EQ(ConfigNetworkInterface::timeoutSeconds(999), 0.999);
    EXPECT_DOUBLE_EQ(ConfigNetworkInterface::timeoutSeconds(0), 10.0);
    EXPECT_DOUBLE_EQ(ConfigNetworkInterface::timeoutSeconds(-5), 10.0);
    EXPECT_DOUBLE_EQ(ConfigNetworkInterface::retryIntervalSeconds(1500), 1.5);
    EXPECT_DOUBLE_EQ(ConfigNetworkInterface::retryIntervalSeconds(-1), 0.0);
}

}  // namespace
}  // namespace solen
