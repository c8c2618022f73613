#include "Commons/Configs/ConfigDefaults.h"
#include "Commons/Configs/ConfigManager.h"
#include "Commons/Configs/ServiceEndpoints.h"
#include "Commons/Json/JsonWriter.h"
#include "Commons/Storage/KeyValueStore.h"
#include "Commons/Utilities/PublisherProvidedInfo.h"
#include "Commons/Utilities/Utilities.h"

#include "support/DispatchWait.h"
#include "support/LocalHttpServer.h"
#include "support/LogCapture.h"
#include "support/ScopedUserDefaults.h"
#include "support/ScriptedHttpSession.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <mutex>

namespace solen {
namespace {

using namespace std::chrono_literals;
using test::ScriptedAnswer;
using Types = std::vector<ConfigType>;

constexpr const char* mediationContent = R"({"adapters":[{"networkId":"n1","adapterName":"Alpha","headerBidder":false,
    "timeout":3000}],"adUnits":[{"adUnitId":"u1","refresh":30000}]})";

Json entry(std::string_view type, int status, double stamp, std::optional<std::string> content) {
    Json object = {{"type", type}, {"status", status}, {"lastUpdatedTs", stamp}};
    if (content) {
        object["content"] = Json::parse(*content);
    }
    return object;
}

std::string answerBody(const std::vector<Json>& entries) { return Json{{"configs", entries}}.dump(); }

// Everything the service can send, as on a first start.
std::string fullAnswer(const std::string& rootUrl) {
    RootConfig root = ConfigDefaults::root(0);
    root.url = rootUrl;
    root.retry.interval = 10;
    root.fetchTimeout = 3000;
    return answerBody({entry("root", 200, 101, JsonWriter::encode(root).dump()),
                       entry("signals", 200, 102, R"({"expiry":86400000,"location":true,"cell":true})"),
                       entry("primeAds", 200, 103, JsonWriter::encode(ConfigDefaults::primeAds(0)).dump()),
                       entry("analytics", 200, 104, JsonWriter::encode(ConfigDefaults::analytics()).dump()),
                       entry("primeMediation", 200, 105, mediationContent)});
}

// Collects what fetch completions receive, as they are or mapped to the start-up result.
class Outcomes {
public:
    struct Result {
        std::optional<Types> handled;
        std::optional<NetworkError> error;
    };
    ConfigManager::FetchCompletion completion() {
        return [this](std::optional<Types> handled, std::optional<NetworkError> error) {
            record([&] { results_.push_back({std::move(handled), std::move(error)}); });
        };
    }
    ConfigManager::FetchCompletion startup() {
        return ConfigManager::fetchCompletionAdapter(
            [this](std::optional<SolenSdkError> error) { record([&] { startupResults_.push_back(std::move(error)); }); });
    }
    // Waits for `count` outcomes of either kind.
    bool wait(std::size_t count) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, 10s, [&] { return results_.size() + startupResults_.size() >= count; });
    }
    std::vector<Result> results() {
        std::lock_guard<std::mutex> lock(mutex_);
        return results_;
    }
    std::vector<std::optional<SolenSdkError>> startupResults() {
        std::lock_guard<std::mutex> lock(mutex_);
        return startupResults_;
    }

private:
    void record(const std::function<void()>& add) {
        std::lock_guard<std::mutex> lock(mutex_);
        add();
        changed_.notify_all();
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Result> results_;
    std::vector<std::optional<SolenSdkError>> startupResults_;
};

class ConfigManagerIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv(ServiceEndpoints::baseUrlVariable, server.baseUrl().c_str(), 1);
        PublisherProvidedInfo::setCurrentBuildType(0);
        Utilities::setAppId("app-1");
        Utilities::setUserAgent(std::nullopt);
        manager = ConfigManager::create(settings);
    }
    void TearDown() override {
        server.stop();
        EXPECT_TRUE(test::drainGlobalQueue());
        unsetenv(ServiceEndpoints::baseUrlVariable);
    }

    // Puts a root document with a short retry interval and time-out in force.
    void useRoot(std::int64_t retries, std::int64_t timeoutMs, std::string url = {}) {
        RootConfig root = ConfigDefaults::root(0);
        root.url = url.empty() ? server.url("/configs") : url;
        root.retry = {retries, 10};
        root.fetchTimeout = timeoutMs;
        manager->handle(ConfigResponse{{{ConfigType::root, root, ConfigResponse::ConfigStatus::updated, 1}}}, nullptr);
    }

    Json lastRequestBody() const { return Json::parse(server.requests().back().body); }

    test::ScopedUserDefaults defaults;
    test::LocalHttpServer server;
    std::shared_ptr<SettingsManager> settings = std::make_shared<SettingsManager>();
    std::shared_ptr<ConfigManager> manager;
    Outcomes outcomes;
};

TEST_F(ConfigManagerIntegrationTest, FirstStartFetchesEverythingAndLaterRequestsCarryTheStamps) {
    server.enqueue("/configs", ScriptedAnswer::json(200, fullAnswer(server.url("/configs"))));
    Types types = manager->expiredConfigTypes();
    types.push_back(ConfigType::primeMediation);
    manager->fetch(types, outcomes.startup());
    ASSERT_TRUE(outcomes.wait(1));
    EXPECT_FALSE(outcomes.startupResults()[0].has_value());

    const auto request = server.requests().at(0);
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.header("Content-Type"), "application/json");
    EXPECT_FALSE(request.header("user-agent").has_value());
    EXPECT_EQ(Json::parse(request.body),
              Json::parse(R"({"appId":"app-1","version":"p-i-1.0.0-beta4","configs":[{"lastUpdatedTs":0,"type":"root"},
                  {"lastUpdatedTs":0,"type":"signals"},{"lastUpdatedTs":0,"type":"primeAds"},
                  {"lastUpdatedTs":0,"type":"analytics"},{"lastUpdatedTs":0,"type":"primeMediation"}]})"));

    EXPECT_TRUE(settings->adUnitSettings("u1").has_value());
    EXPECT_TRUE(manager->expiredConfigTypes().empty());

    // After a relaunch the stamps go out with the next request, with the stored user agent header;
    // a background mediation refresh sends them too.
    defaults.relaunch();
    manager = ConfigManager::create(std::make_shared<SettingsManager>());
    Utilities::setUserAgent("Agent/1.0");
    server.enqueue("/configs", ScriptedAnswer::json(200, answerBody({entry("primeMediation", 304, 105, std::nullopt)})));
    manager->fetch({ConfigType::primeMediation, ConfigType::signals}, outcomes.startup());
    ASSERT_TRUE(outcomes.wait(2));
    EXPECT_FALSE(outcomes.startupResults()[1].has_value());
    EXPECT_EQ(lastRequestBody()["configs"],
              Json::parse(R"([{"lastUpdatedTs":105,"type":"primeMediation"},{"lastUpdatedTs":102,"type":"signals"}])"));
    EXPECT_EQ(server.requests().back().header("user-agent"), "Agent/1.0");
    server.enqueue("/configs", ScriptedAnswer::json(200, answerBody({entry("primeMediation", 304, 105, std::nullopt)})));
    manager->refreshMediationConfig();
    ASSERT_TRUE(server.waitForRequests(3, 5s));
    EXPECT_EQ(lastRequestBody()["configs"], Json::parse(R"([{"lastUpdatedTs":105,"type":"primeMediation"}])"));
    Utilities::setUserAgent(std::nullopt);
}

TEST_F(ConfigManagerIntegrationTest, NotModifiedAnswersAndPartialFailures) {
    server.enqueue("/configs", ScriptedAnswer::json(200, fullAnswer(server.url("/configs"))));
    manager->fetch({ConfigType::primeMediation}, outcomes.completion());
    ASSERT_TRUE(outcomes.wait(1));

    test::LogCapture log(2);
    server.enqueue("/configs", ScriptedAnswer::json(200, answerBody({
                                                            entry("signals", 201, 1, std::nullopt),
                                                            entry("analytics", 200, 2, R"({"expiry":1})"),
                                                            entry("root", 304, 101, std::nullopt),
                                                            entry("primeMediation", 304, 105, std::nullopt),
                                                        })));
    manager->fetch({ConfigType::signals, ConfigType::analytics, ConfigType::root, ConfigType::primeMediation},
                   outcomes.completion());
    ASSERT_TRUE(outcomes.wait(2));
    const auto result = outcomes.results().at(1);
    EXPECT_FALSE(result.error.has_value());
    EXPECT_EQ(result.handled, (Types{ConfigType::root, ConfigType::primeMediation}));
    EXPECT_EQ(log.count("Config failed with error "), 2u);
    EXPECT_TRUE(manager->mediation().has_value());
    EXPECT_EQ(ConfigManager::requestStamp(ConfigType::analytics), 104);
}

TEST_F(ConfigManagerIntegrationTest, ErrorAnswersAreRetriedThenReportedAndAnAnswerWithoutMediationFailsTheStartup) {
    useRoot(1, 3000);
    server.enqueue("/configs", ScriptedAnswer::json(404, R"({"errors":["unknown ","app"]})"));
    server.enqueue("/configs", ScriptedAnswer::json(404, R"({"errors":["unknown ","app"]})"));
    manager->fetch({ConfigType::primeMediation}, outcomes.startup());
    ASSERT_TRUE(outcomes.wait(1));
    EXPECT_EQ(server.requestCount(), 2u);
    EXPECT_EQ(outcomes.startupResults()[0]->code(), 1001);
    EXPECT_EQ(outcomes.startupResults()[0]->localizedDescription(), "unknown app");

    server.clearRequests();
    server.setDefaultAnswer(ScriptedAnswer::text(503, "<html>down</html>", "text/html"));
    manager->fetch({ConfigType::primeMediation}, outcomes.completion());
    ASSERT_TRUE(outcomes.wait(2));
    EXPECT_EQ(server.requestCount(), 2u);
    const auto result = outcomes.results().at(0);
    ASSERT_TRUE(result.error.has_value());
    EXPECT_EQ(result.error->kind(), NetworkError::Kind::serverError);
    EXPECT_EQ(result.error->message(), "Service Returned An Error");

    test::LogCapture log;
    server.enqueue("/configs", ScriptedAnswer::text(200, "not json"));
    manager->fetch({ConfigType::primeMediation}, outcomes.completion());
    ASSERT_TRUE(outcomes.wait(3));
    const auto invalid = outcomes.results().at(1);
    EXPECT_EQ(invalid.error, NetworkError::requestFailed(1001, "Fetched Invalid Config "));
    EXPECT_FALSE(invalid.handled.has_value());
    // The exchange logs after it has delivered its outcome.
    EXPECT_TRUE(test::waitUntil([&] { return log.contains("Failed to parse or process Config Response"); }));

    // An answer without the mediation document fails the start-up too.
    server.enqueue("/configs", ScriptedAnswer::json(200, R"({"configs":[]})"));
    manager->fetch({ConfigType::primeMediation}, outcomes.startup());
    ASSERT_TRUE(outcomes.wait(4));
    ASSERT_TRUE(outcomes.startupResults()[1].has_value());
    EXPECT_EQ(outcomes.startupResults()[1]->code(), 1001);
}

// A host that shows information lines learns where the configuration was asked for and what the
// transport said: a wrong service address or a service that is down shows at once.
TEST_F(ConfigManagerIntegrationTest, AFailedFetchLogsItsAddressAndTheTransportsErrorAtTheInfoLevel) {
    server.setDefaultAnswer(ScriptedAnswer::text(503, "<html>down</html>", "text/html"));
    const struct {
        std::string url;
        std::string line;
    } cases[] = {
        {server.url("/configs"), "Config fetch from " + server.url("/configs") + " failed: ai.solen.networkError 2002 [\"Info\": \"Service Returned An Error\"]"},
        // Nothing listens on port 1 of the loopback address.
        {"http://127.0.0.1:1/configs", "Config fetch from http://127.0.0.1:1/configs failed: ai.solen.networkError"},
        {"not a url", "Config fetch from not a url failed: ai.solen.networkError 1001"},
    };
    std::size_t fetched = 0;
    for (const auto& each : cases) {
        SCOPED_TRACE(each.url);
        useRoot(0, 2000, each.url);
        test::LogCapture log(2);
        manager->fetch({ConfigType::primeMediation}, outcomes.completion());
        ASSERT_TRUE(outcomes.wait(++fetched));
        EXPECT_TRUE(test::waitUntil([&] { return log.contains(each.line); })) << ::testing::PrintToString(log.lines());
    }
}

TEST_F(ConfigManagerIntegrationTest, AnswerOverTheDocumentLimitFailsTheExchange) {
    useRoot(0, 5000);
    const std::string answer = fullAnswer(server.url("/configs"));
    // The answer padded with an unknown key to exactly `size` bytes.
    const auto paddedTo = [&](std::size_t size) {
        const std::string open = answer.substr(0, answer.size() - 1) + R"(,"padding":")";
        return open + std::string(size - open.size() - 2, 'x') + "\"}";
    };
    server.enqueue("/configs", ScriptedAnswer::json(200, paddedTo(Request::documentBodyLimit + 1)));
    server.enqueue("/configs", ScriptedAnswer::json(200, paddedTo(Request::documentBodyLimit)));
    manager->fetch({ConfigType::primeMediation}, outcomes.completion());
    ASSERT_TRUE(outcomes.wait(1));
    const auto refused = outcomes.results().at(0);
    ASSERT_TRUE(refused.error.has_value());
    EXPECT_EQ(refused.error->kind(), NetworkError::Kind::requestFailed);
    EXPECT_FALSE(refused.handled.has_value());
    EXPECT_FALSE(manager->mediation().has_value());

    manager->fetch({ConfigType::primeMediation}, outcomes.completion());
    ASSERT_TRUE(outcomes.wait(2));
    EXPECT_FALSE(outcomes.results().at(1).error.has_value());
    EXPECT_TRUE(manager->mediation().has_value());
}

TEST_F(ConfigManagerIntegrationTest, TimeOutUnreachableServiceAndBadEndpointFailTheStartup) {
    useRoot(0, 300);
    server.enqueue("/configs", ScriptedAnswer::slow(3s));
    const auto started = std::chrono::steady_clock::now();
    manager->fetch({ConfigType::primeMediation}, outcomes.completion());
    ASSERT_TRUE(outcomes.wait(1));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2500ms);
    ASSERT_TRUE(outcomes.results().at(0).error.has_value());
    EXPECT_EQ(outcomes.results().at(0).error->kind(), NetworkError::Kind::requestFailed);
    EXPECT_EQ(ConfigManager::startupError(std::nullopt, outcomes.results().at(0).error)->code(), 1001);

    const std::string url = server.url("/configs");
    server.stop();
    useRoot(1, 1000, url);
    manager->fetch({ConfigType::primeMediation}, outcomes.startup());
    ASSERT_TRUE(outcomes.wait(2));
    EXPECT_EQ(outcomes.startupResults().at(0)->code(), 1001);
    EXPECT_FALSE(manager->mediation().has_value());

    // An endpoint that is not a URL ends the exchange with an error too, never silence.
    useRoot(0, 1000, "::not a url::");
    manager->fetch({ConfigType::primeMediation}, outcomes.startup());
    ASSERT_TRUE(outcomes.wait(3));
    EXPECT_EQ(outcomes.startupResults().at(1)->code(), 1001);
}

TEST_F(ConfigManagerIntegrationTest, OverlappingExchangesEachGetTheirOwnOutcomeOnce) {
    server.setHandler([](const test::RecordedRequest& request) -> std::optional<ScriptedAnswer> {
        const Json body = Json::parse(request.body);
        const std::string type = body["configs"][0]["type"];
        if (type == "primeMediation") {
            return ScriptedAnswer::slow(300ms, 500, "{}");
        }
        return ScriptedAnswer::json(200, answerBody({entry(type, 200, 7, R"({"expiry":1000,"location":false,"cell":true})")}));
    });
    useRoot(0, 3000);
    manager->fetch({ConfigType::primeMediation}, outcomes.completion());
    ASSERT_TRUE(server.waitForRequests(1, 5s));
    manager->fetch({ConfigType::signals}, outcomes.completion());
    ASSERT_TRUE(outcomes.wait(2));
    std::this_thread::sleep_for(100ms);
    auto results = outcomes.results();
    ASSERT_EQ(results.size(), 2u);
    if (results[0].error) {
        std::swap(results[0], results[1]);
    }
    EXPECT_EQ(results[0].handled, Types{ConfigType::signals});
    EXPECT_FALSE(results[0].error.has_value());
    ASSERT_TRUE(results[1].error.has_value());
    EXPECT_EQ(results[1].error->kind(), NetworkError::Kind::serverError);
}

}  // namespace
}  // namespace solen
