#include "Public/SdkStartup.h"

#include <solen/Solen.h>

#include "Commons/Analytics/Analytics.h"
#include "Commons/Configs/ConfigDefaults.h"
#include "Commons/Configs/Network/ConfigResponse.h"
#include "Commons/Storage/KeyValueStore.h"
#include "Commons/Utilities/PublisherProvidedInfo.h"
#include "Commons/Utilities/Utilities.h"
#include "Platform/Device/Location.h"
#include "Platform/Device/OperatingSystem.h"
#include "Platform/Foundation/FileManager.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/UI/Application.h"

#include "support/DispatchWait.h"
#include "support/LocalServiceEndpoint.h"
#include "support/LogCapture.h"
#include "support/ScopedUserDefaults.h"
#include "support/ScriptedHttpSession.h"

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
    bool waitFor(std::size_t count, std::chrono::milliseconds timeout = 5s) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return results_.size() >= count; });
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
        Analytics::setInitializationCheck(nullptr);
        platform::OperatingSystem::setVersionProvider(nullptr);
        platform::FileManager::defaultManager().setCreationDateProvider(nullptr);
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

TEST_F(SolenTests, SystemVersionsAreComparedPartByPart) {
    for (const char* refused : {"9.3.5", "9", "", "6.1.0"}) {
        platform::OperatingSystem::setVersionProvider([refused] { return std::string(refused); });
        EXPECT_FALSE(SdkStartup::isSupportedOSVersion()) << refused;
    }
    for (const char* supported : {"10", "10.0", "10.0.0", "10.3.1", "17.2", "100.0"}) {
        platform::OperatingSystem::setVersionProvider([supported] { return std::string(supported); });
        EXPECT_TRUE(SdkStartup::isSupportedOSVersion()) << supported;
    }
}

TEST_F(SolenTests, OldSystemAndEmptyAppIdFailOnTheCallersThreadBeforeAnyWork) {
    platform::OperatingSystem::setVersionProvider([] { return std::string("9.3"); });
    startup->initialize(SolenSdkConfiguration("app-1", {{"gdpr", 1}}, SolenBuildType::china), recorder.completion());
    ASSERT_EQ(recorder.count(), 1u);  // already called, synchronously
    auto error = recorder.first();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), 1004);
    EXPECT_STREQ(error->errorDomain(), "ai.solen.SolenSDK");
    EXPECT_EQ(error->localizedDescription(), "Error initialising the SDK. The minimum supported iOS version is 10.0.0");
    EXPECT_EQ(recorder.firstThread(), std::this_thread::get_id());
    // Consent and build region are taken before the checks; nothing else.
    EXPECT_EQ(PublisherProvidedInfo::consent(), (Json{{"gdpr", 1}}));
    EXPECT_EQ(PublisherProvidedInfo::currentBuildType(), 1);
    EXPECT_EQ(Utilities::appId(), "");
    EXPECT_FALSE(KeyValueStore::get(SdkStartup::storedVersionKey));

    CompletionRecorder emptyId;
    platform::OperatingSystem::setVersionProvider([] { return std::string("17.2"); });
    startup->initialize(configuration(""), emptyId.completion());
    ASSERT_EQ(emptyId.count(), 1u);
    error = emptyId.first();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), 1003);
    EXPECT_EQ(error->localizedDescription(), "Invalid app id.");
    EXPECT_FALSE(startup->isInitialized());
    EXPECT_FALSE(KeyValueStore::get(SdkStartup::storedVersionKey));

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
    EXPECT_TRUE(log.contains("SDK initialized with appId: app-1"));
    EXPECT_EQ(Utilities::appId(), "app-1");
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
    session->enqueue(Answer::failure(-1009));
    startup->initialize(configuration(), recorder.completion());
    auto error = recorder.first();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), 1002);
    EXPECT_EQ(error->localizedDescription(), "SDK failed to initialize because no internet connection is available");
    EXPECT_TRUE(log.contains("SDK Init failed - Mandatory config fetch failed with reason 'SDK failed to initialize "
                             "because no internet connection is available'"));
    EXPECT_FALSE(startup->isInitialized());
    EXPECT_FALSE(startup->observesForeground());
    EXPECT_EQ(Utilities::appId(), "app-1");  // stays set

    // The service refuses the application: its own message travels with 1001.
    CompletionRecorder refused;
    session->enqueue(Answer::status(403, R"({"errors":["Unknown app id app-1"]})"));
    startup->initialize(configuration(), refused.completion());
    error = refused.first();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), 1001);
    EXPECT_EQ(error->localizedDescription(), "Unknown app id app-1");

    // An answer without the mediation document: 1001 with the standard text.
    CompletionRecorder incomplete;
    session->enqueue(Answer::status(200, R"({"configs":[]})"));
    startup->initialize(configuration(), incomplete.completion());
    error = incomplete.first();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), 1001);
    EXPECT_EQ(error->localizedDescription(), "Failed to fetch config. Please check the configurations on Solen UI");

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
    EXPECT_TRUE(startup->isInitialized());
    // The refresh still goes out in the background, and its failure changes nothing.
    EXPECT_TRUE(test::waitUntil([&] { return session->requestCount() >= 2; }));
    EXPECT_TRUE(test::drainGlobalQueue());
    EXPECT_TRUE(startup->isInitialized());
    bool mediationAsked = false;
    for (const auto& request : session->requests()) {
        mediationAsked = mediationAsked || requestedTypes(request).back() == "primeMediation";
    }
    EXPECT_TRUE(mediationAsked);
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
    EXPECT_EQ(PublisherProvidedInfo::currentBuildType(), 1);
    EXPECT_EQ(Utilities::appId(), "app-1");
    EXPECT_TRUE(test::drainGlobalQueue());
    EXPECT_EQ(session->requestCount(), requests);
    EXPECT_EQ(foregroundObservers(), observersBefore + 1);
}

TEST_F(SolenTests, InstallAndOpenEventsThenTheForegroundRefreshesWhatExpired) {
    Analytics::setInitializationCheck([this] { return startup->isInitialized(); });
    platform::FileManager::defaultManager().setCreationDateProvider(
        [](const std::filesystem::path&) -> std::optional<platform::Clock::WallTimePoint> {
            return platform::Clock::WallTimePoint(std::chrono::milliseconds(1609459200500));
        });
    Solen::setPPID("pp-1");
    session->setDefaultAnswer(Answer::status(200, fullAnswer()));
    startup->initialize(configuration(), recorder.completion());
    EXPECT_FALSE(recorder.first());
    ASSERT_TRUE(server->waitForRequests(2, 5s));
    EXPECT_TRUE(test::drainGlobalQueue());
    const std::size_t configRequests = session->requestCount();

    // The signals document has outlived its lifetime when the application comes back.
    ConfigManager::setStoredValue(0, ConfigManager::StoredValueKey::configLastUpdated, ConfigType::signals);
    platform::NotificationCenter::defaultCenter().post(platform::Application::willEnterForegroundNotification);
    ASSERT_TRUE(server->waitForRequests(3, 5s));
    EXPECT_TRUE(test::drainGlobalQueue());
    ASSERT_EQ(session->requestCount(), configRequests + 1);
    EXPECT_EQ(requestedTypes(session->requests().back()), std::vector<std::string>{"signals"});

    std::size_t launches = 0;
    std::size_t opens = 0;
    for (const auto& request : server->requests()) {
        const Json body = Json::parse(request.body);
        const std::string name = body["ext"]["events"][0]["name"];
        launches += name == "AppLaunch" ? 1 : 0;
        opens += name == "AppOpen" ? 1 : 0;
    }
    EXPECT_EQ(launches, 1u);
    EXPECT_EQ(opens, 2u);
}

TEST_F(SolenTests, StoredVersionBookkeepingClearsOnlyTheSdksOwnKeys) {
    const auto store = platform::UserDefaults::standard();
    const auto seed = [&] {
        Solen::setPPID("pp-1");
        KeyValueStore::set(platform::PropertyValue("{}"), "root");
        store->set(platform::PropertyValue("host"), "com.solen.hostSetting");
        store->set(platform::PropertyValue(true), "appLaunch");
    };

    // Missing: stored, nothing removed.
    seed();
    EXPECT_FALSE(SdkStartup::updateStoredSDKVersion());
    EXPECT_EQ(Solen::getPPID(), "pp-1");
    EXPECT_EQ(KeyValueStore::get(SdkStartup::storedVersionKey), platform::PropertyValue("p-i-1.0.0-beta4"));

    // Equal: nothing happens.
    EXPECT_FALSE(SdkStartup::updateStoredSDKVersion());
    EXPECT_EQ(Solen::getPPID(), "pp-1");

    // Not text: replaced without clearing.
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
    EXPECT_EQ(Solen::getSDKVersion(), "1.0.0-beta4");
    EXPECT_FALSE(Solen::getPPID());
    Solen::setPPID("");
    EXPECT_EQ(Solen::getPPID(), "");
    Solen::setPPID("pp-2");
    EXPECT_EQ(Solen::getPPID(), "pp-2");

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
    // Custom identifiers stay in memory and are not returned.
    Solen::setExtras({{"qo_customIds", Json::array({Json{{"idType", "x"}, {"value", "1"}}})}});
    EXPECT_EQ(Solen::getExtras(), extras);

    platform::Location location;
    location.coordinate = {52.5, 13.4};
    location.horizontalAccuracy = 20;
    Solen::setLocation(location);
    ASSERT_TRUE(PublisherProvidedInfo::location());

    Solen::cleanUserInfo();
    EXPECT_FALSE(Solen::getPPID());
    EXPECT_FALSE(Solen::getExtras());
    EXPECT_FALSE(PublisherProvidedInfo::location());
    EXPECT_FALSE(PublisherProvidedInfo::gender());

    Solen::updateGDPRConsent(Solen::Dictionary{{"gdpr_consent", "BOEFEAyOEFEAyAHABDENAI4AAAB9vABAASA"}});
    EXPECT_EQ(PublisherProvidedInfo::consent(), (Json{{"gdpr_consent", "BOEFEAyOEFEAyAHABDENAI4AAAB9vABAASA"}}));
    Solen::updateGDPRConsent(std::nullopt);
    EXPECT_FALSE(PublisherProvidedInfo::consent());
}

TEST_F(SolenTests, PublicLogLevelAndRefusedInitialisation) {
    const std::uint8_t previous = Logger::logLevel();
    Solen::setLogLevel(LogLevel::info);
    EXPECT_EQ(Logger::logLevel(), 2);
    {
        test::LogCapture log(1);
        Solen::setLogLevel(static_cast<LogLevel>(7));
        EXPECT_EQ(Logger::logLevel(), 1);  // unchanged by the refused value
        EXPECT_TRUE(log.contains("Ignoring log level 7"));
    }
    Logger::setLogLevel(previous);

    CompletionRecorder refused;
    Solen::initialize(configuration(""), refused.completion());
    ASSERT_EQ(refused.count(), 1u);
    EXPECT_EQ(refused.first()->code(), 1003);
    EXPECT_FALSE(Solen::isInitialized());
}

}  // namespace
}  // namespace solen
