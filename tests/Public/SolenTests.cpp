#include "Public/SdkStartup.h"

#include "Commons/Configs/ConfigDefaults.h"
#include "Commons/Configs/Network/ConfigResponse.h"
#include "Commons/Storage/KeyValueStore.h"
#include "Commons/Utilities/PublisherProvidedInfo.h"
#include "Commons/Utilities/Utilities.h"
#include "Platform/Device/OperatingSystem.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/UI/Application.h"

#include "support/DispatchWait.h"
#include "support/LocalServiceEndpoint.h"
#include "support/LogCapture.h"
#include "support/ScopedUserDefaults.h"
#include "support/ScriptedHttpSession.h"

#include <solen/Solen.h>
#include <solen/host/Location.h>

#include <gtest/gtest.h>

#include <cmath>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <thread>

namespace solen {
namespace {

using namespace std::chrono_literals;
using Answer = test::ScriptedHttpSession::Answer;

// What one initialisation reported, and on which thread.
class CompletionRecorder {
public:
    SdkStartup::Completion completion() {
        return [this](std::optional<SolenSdkError> error) {
            std::lock_guard lock(mutex_);
            results_.push_back(std::move(error));
            threads_.push_back(std::this_thread::get_id());
            changed_.notify_all();
        };
    }
    // The first result, waiting for it.
    std::optional<SolenSdkError> first(std::chrono::milliseconds timeout = 5s) {
        std::unique_lock lock(mutex_);
        EXPECT_TRUE(changed_.wait_for(lock, timeout, [this] { return !results_.empty(); })) << "no completion";
        return results_.empty() ? SolenSdkError::initializationError(SolenInitializationError::invalidAppId, "none")
                                : results_.front();
    }
    std::size_t count() const {
        std::lock_guard lock(mutex_);
        return results_.size();
    }
    std::thread::id firstThread() const {
        std::lock_guard lock(mutex_);
        return threads_.empty() ? std::thread::id() : threads_.front();
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::optional<SolenSdkError>> results_;
    std::vector<std::thread::id> threads_;
};

// The service's answer to a full first fetch: every document, mediation included.
std::string fullAnswer(std::string latest = std::string(ConfigDefaults::sdkVersion)) {
    ConfigResponse response;
    RootConfig root = ConfigDefaults::root(0);
    root.sdk.latest = std::move(latest);
    const auto entry = [](ConfigDocument document) {
        ConfigResponse::Config config;
        config.type = configTypeOf(document);
        config.content = std::move(document);
        config.status = ConfigResponse::ConfigStatus::updated;
        config.lastUpdatedTs = 1764979200000.0;
        return config;
    };
    response.configs = {entry(root), entry(ConfigDefaults::signals()), entry(ConfigDefaults::primeAds(0)),
                        entry(MediationConfig{{}, std::vector<AdUnitsConfig>{{"unit-1", 30000, std::nullopt}}}),
                        entry(ConfigDefaults::analytics())};
    return response.encode().dump();
}

// The config types named by a request body the session received.
std::vector<std::string> requestedTypes(const platform::URLRequest& request) {
    std::vector<std::string> types;
    if (!request.httpBody()) return types;
    const auto& body = *request.httpBody();
    const Json json = Json::parse(std::string(body.begin(), body.end()));
    for (const auto& entry : json["configs"]) {
        types.push_back(entry["type"].get<std::string>());
    }
    return types;
}

class SolenTests : public ::testing::Test {
protected:
    void SetUp() override {
        // Analytics uploads go to the local endpoint; it must be in place before any default is made.
        server->clearRequests();
        platform::OperatingSystem::setVersionProvider([] { return std::string("17.2"); });
        startup = SdkStartup::create([this] { return ConfigManager::create(SettingsManager::shared(), session); });
    }
    void TearDown() override {
        EXPECT_TRUE(test::drainGlobalQueue());
        platform::OperatingSystem::setVersionProvider(nullptr);
        PublisherProvidedInfo::setConsent(std::nullopt);
        PublisherProvidedInfo::setCurrentBuildType(0);
        Utilities::setAppId("");
    }

    // A root document without retries, so that a refused fetch fails at once.
    void storeRootWithoutRetries(std::string latest = std::string(ConfigDefaults::sdkVersion)) {
        RootConfig root = ConfigDefaults::root(0);
        root.retry = {.count = 0, .interval = 0};
        root.sdk.latest = std::move(latest);
        ASSERT_TRUE(ConfigManager::create(SettingsManager::shared(), session)->store(root, ConfigType::root));
    }

    static SolenSdkConfiguration configuration(std::string appId = "app-1") {
        return SolenSdkConfiguration(std::move(appId), {{"gdpr", 1}});
    }

    static std::size_t foregroundObservers() {
        return platform::NotificationCenter::defaultCenter().observerCount(
            platform::Application::willEnterForegroundNotification);
    }

    test::LocalHttpServer* server = &test::localServiceEndpoint();
    test::ScopedUserDefaults defaults;
    std::shared_ptr<test::ScriptedHttpSession> session = test::ScriptedHttpSession::create();
    std::shared_ptr<SdkStartup> startup;
    CompletionRecorder recorder;
};

TEST_F(SolenTests, OldSystemAndEmptyAppIdFailOnTheCallersThreadBeforeAnyWork) {
    for (const auto& [version, supported] : std::vector<std::pair<std::string, bool>>{
             {"9.3.5", false}, {"", false}, {"6.1.0", false}, {"10", true}, {"10.0.0", true}, {"100.0", true}}) {
        platform::OperatingSystem::setVersionProvider([version] { return version; });
        EXPECT_EQ(SdkStartup::isSupportedOSVersion(), supported) << version;
    }
    platform::OperatingSystem::setVersionProvider([] { return std::string("9.3"); });
    startup->initialize(SolenSdkConfiguration("app-1", {{"gdpr", 1}}, SolenBuildType::china), recorder.completion());
    ASSERT_EQ(recorder.count(), 1u);  // already called, synchronously
    EXPECT_EQ(recorder.first()->code(), 1004);
    EXPECT_EQ(recorder.firstThread(), std::this_thread::get_id());
    // Consent and build region are taken before the checks; nothing else.
    EXPECT_EQ(PublisherProvidedInfo::currentBuildType(), 1);
    EXPECT_FALSE(KeyValueStore::get(SdkStartup::storedVersionKey));

    CompletionRecorder emptyId;
    platform::OperatingSystem::setVersionProvider([] { return std::string("17.2"); });
    startup->initialize(configuration(""), emptyId.completion());
    ASSERT_EQ(emptyId.count(), 1u);
    EXPECT_EQ(emptyId.first()->code(), 1003);
    EXPECT_FALSE(startup->isInitialized());

    // A nil completion is allowed.
    startup->initialize(configuration(""), nullptr);
    EXPECT_TRUE(test::drainGlobalQueue());
    EXPECT_EQ(session->requestCount(), 0u);
}

TEST_F(SolenTests, FirstRunWaitsForTheMediationDocumentThenRunsTheFollowUp) {
    test::LogCapture log(2);
    storeRootWithoutRetries("2.0.0");
    session->setDefaultAnswer(Answer::status(200, fullAnswer()));
    const std::size_t observersBefore = foregroundObservers();

    startup->initialize(configuration(), recorder.completion());
    EXPECT_TRUE(log.contains(
        "A newer version 2.0.0 of the Solen SDK is available! You are currently on an older version 1.0.0-beta4."));
    EXPECT_FALSE(recorder.first());
    EXPECT_NE(recorder.firstThread(), std::this_thread::get_id());
    EXPECT_TRUE(startup->isInitialized());
    EXPECT_EQ(KeyValueStore::get(SdkStartup::storedVersionKey), platform::PropertyValue("p-i-1.0.0-beta4"));
    EXPECT_GT(ConfigManager::storedValue(ConfigManager::StoredValueKey::lastUpdatedTs, ConfigType::primeMediation), 0);

    // The first request asked for every expired document and, always, the mediation document.
    ASSERT_GE(session->requestCount(), 1u);
    EXPECT_EQ(requestedTypes(session->requests()[0]),
              (std::vector<std::string>{"root", "signals", "primeAds", "analytics", "primeMediation"}));
    EXPECT_TRUE(test::drainGlobalQueue());
    EXPECT_TRUE(startup->observesForeground());
    EXPECT_EQ(foregroundObservers(), observersBefore + 1);
}

TEST_F(SolenTests, FirstRunFailuresReport1002Or1001AndALaterCallStartsOver) {
    test::LogCapture log;
    storeRootWithoutRetries();
    // Offline; the service refuses the application (its own message travels with 1001); an
    // answer without the mediation document (1001 with the standard text).
    const std::vector<std::tuple<Answer, std::int64_t, std::string>> cases = {
        {Answer::failure(-1009), 1002, "SDK failed to initialize because no internet connection is available"},
        {Answer::status(403, R"({"errors":["Unknown app id app-1"]})"), 1001, "Unknown app id app-1"},
        {Answer::status(200, R"({"configs":[]})"), 1001,
         "Failed to fetch config. Please check the configurations on Solen UI"}};
    for (const auto& [answer, code, text] : cases) {
        CompletionRecorder failed;
        session->enqueue(answer);
        startup->initialize(configuration(), failed.completion());
        const auto error = failed.first();
        ASSERT_TRUE(error);
        EXPECT_EQ(error->code(), code);
        EXPECT_EQ(error->localizedDescription(), text);
        EXPECT_FALSE(startup->isInitialized());
    }
    EXPECT_TRUE(log.contains("SDK Init failed - Mandatory config fetch failed with reason 'SDK failed to initialize "
                             "because no internet connection is available'"));
    EXPECT_FALSE(startup->observesForeground());

    CompletionRecorder retried;
    session->setDefaultAnswer(Answer::status(200, fullAnswer()));
    startup->initialize(configuration(), retried.completion());
    EXPECT_FALSE(retried.first());
    EXPECT_TRUE(startup->isInitialized());
}

TEST_F(SolenTests, CachedMediationSucceedsOfflineBeforeAnyRequest) {
    KeyValueStore::set(platform::PropertyValue("p-i-1.0.0-beta4"), SdkStartup::storedVersionKey);
    ConfigManager::setStoredValue(1764979200000.0, ConfigManager::StoredValueKey::lastUpdatedTs,
                                  ConfigType::primeMediation);
    session->setDefaultAnswer(Answer::failure(-1009));
    std::atomic<std::size_t> requestsAtCompletion{std::numeric_limits<std::size_t>::max()};
    auto completion = recorder.completion();
    startup->initialize(configuration(), [&, completion](std::optional<SolenSdkError> error) {
        requestsAtCompletion = session->requestCount();
        completion(std::move(error));
    });
    EXPECT_FALSE(recorder.first());
    EXPECT_EQ(requestsAtCompletion.load(), 0u);
    // The refresh still goes out in the background, and its failure changes nothing.
    EXPECT_TRUE(test::waitUntil([&] { return session->requestCount() >= 2; }));
    EXPECT_TRUE(test::drainGlobalQueue());
    EXPECT_TRUE(startup->isInitialized());
}

TEST_F(SolenTests, AlreadyInitialisedOnlyRefreshesConsentAndBuildTypeAndObservesOnce) {
    session->setDefaultAnswer(Answer::status(200, fullAnswer()));
    const std::size_t observersBefore = foregroundObservers();
    // Two calls before the first finishes both run the whole road.
    CompletionRecorder second;
    startup->initialize(configuration(), recorder.completion());
    startup->initialize(configuration(), second.completion());
    EXPECT_FALSE(recorder.first());
    EXPECT_FALSE(second.first());
    EXPECT_TRUE(test::drainGlobalQueue());
    EXPECT_EQ(foregroundObservers(), observersBefore + 1);
    const std::size_t requests = session->requestCount();

    test::LogCapture log(2);
    CompletionRecorder again;
    startup->initialize(SolenSdkConfiguration("other-app", {{"gdpr", 0}}, SolenBuildType::china), again.completion());
    ASSERT_EQ(again.count(), 1u);
    EXPECT_FALSE(again.first());
    EXPECT_EQ(again.firstThread(), std::this_thread::get_id());
    EXPECT_TRUE(log.contains("SDK already initialized with appId: other-app"));
    EXPECT_EQ(PublisherProvidedInfo::consent(), (Json{{"gdpr", 0}}));
    EXPECT_EQ(Utilities::appId(), "app-1");
    EXPECT_TRUE(test::drainGlobalQueue());
    EXPECT_EQ(session->requestCount(), requests);
    EXPECT_EQ(foregroundObservers(), observersBefore + 1);
}

TEST_F(SolenTests, StoredVersionBookkeepingClearsOnlyTheSdksOwnKeys) {
    const auto store = platform::UserDefaults::standard();
    const auto seed = [&] {
        Solen::setPPID("pp-1");
        KeyValueStore::set(platform::PropertyValue("{}"), "root");
        store->set(platform::PropertyValue("host"), "com.solen.hostSetting");
        store->set(platform::PropertyValue(true), "appLaunch");
    };

    // Missing, equal, or not text: the version is stored and nothing is removed.
    seed();
    EXPECT_FALSE(SdkStartup::updateStoredSDKVersion());
    EXPECT_FALSE(SdkStartup::updateStoredSDKVersion());
    KeyValueStore::set(platform::PropertyValue(std::int64_t{4}), SdkStartup::storedVersionKey);
    EXPECT_FALSE(SdkStartup::updateStoredSDKVersion());
    EXPECT_EQ(Solen::getPPID(), "pp-1");
    EXPECT_EQ(KeyValueStore::get(SdkStartup::storedVersionKey), platform::PropertyValue("p-i-1.0.0-beta4"));

    // Another version: every SDK key goes, the host's keys stay, then the new version is stored.
    KeyValueStore::set(platform::PropertyValue("p-i-0.9.0"), SdkStartup::storedVersionKey);
    EXPECT_TRUE(SdkStartup::updateStoredSDKVersion());
    EXPECT_FALSE(Solen::getPPID());
    EXPECT_FALSE(KeyValueStore::get("root"));
    EXPECT_EQ(store->get("com.solen.hostSetting"), platform::PropertyValue("host"));
    EXPECT_EQ(store->get("appLaunch"), platform::PropertyValue(true));
    EXPECT_EQ(KeyValueStore::get(SdkStartup::storedVersionKey), platform::PropertyValue("p-i-1.0.0-beta4"));
}

TEST_F(SolenTests, PublicUserInformationOperations) {
    Solen::setPPID("pp-2");

    const Solen::Dictionary extras{{"gender", 2}, {"age", 31}, {"tags", Json::array({"a", "b"})}};
    Solen::setExtras(extras);
    EXPECT_EQ(Solen::getExtras(), extras);
    EXPECT_EQ(PublisherProvidedInfo::gender(), 2);
    {
        test::LogCapture log(1);
        Solen::setExtras({{"score", std::nan("")}});
        EXPECT_TRUE(log.contains("Extras is not a valid JSONObject, Please pass valid JSONObject \n "));
        EXPECT_EQ(Solen::getExtras(), extras);
    }
    platform::Location location;
    location.coordinate = {52.5, 13.4};
    Solen::setLocation(location);
    ASSERT_TRUE(PublisherProvidedInfo::location());

    Solen::cleanUserInfo();
    EXPECT_FALSE(Solen::getPPID());
    EXPECT_FALSE(Solen::getExtras());
    EXPECT_FALSE(PublisherProvidedInfo::location());

    Solen::updateGDPRConsent(Solen::Dictionary{{"gdpr_consent", "BO"}});
    EXPECT_EQ(PublisherProvidedInfo::consent(), (Json{{"gdpr_consent", "BO"}}));
}

TEST_F(SolenTests, LogLevelOutsideTheRangeIsIgnored) {
    const std::uint8_t previous = Logger::logLevel();
    {
        test::LogCapture log(1);
        Solen::setLogLevel(static_cast<LogLevel>(7));
        EXPECT_EQ(Logger::logLevel(), 1);  // unchanged by the refused value
        EXPECT_TRUE(log.contains("Ignoring log level 7"));
    }
    Logger::setLogLevel(previous);
}

}  // namespace
}  // namespace solen
