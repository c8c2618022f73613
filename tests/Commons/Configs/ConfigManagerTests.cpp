#include "Commons/Configs/ConfigDefaults.h"
#include "Commons/Configs/ConfigManager.h"
#include "Commons/Configs/ConfigUtil.h"
#include "Commons/Storage/KeyValueStore.h"
#include "Commons/Utilities/PublisherProvidedInfo.h"
#include "Platform/Dispatch/Clock.h"

#include "support/LogCapture.h"
#include "support/ScopedUserDefaults.h"

#include <gtest/gtest.h>

#include <limits>
#include <thread>

namespace solen {
namespace {

using Key = ConfigManager::StoredValueKey;
using Status = ConfigResponse::ConfigStatus;
using platform::PropertyValue;

constexpr const char* mediationText = R"({"adapters":[{"networkId":"n1","adapterName":"Alpha","headerBidder":true,
    "timeout":3000}],"adUnits":[{"adUnitId":"u1","refresh":30000}]})";

ConfigResponse::Config entry(ConfigType type, Status status, double stamp, std::optional<ConfigDocument> content = {}) {
    return {type, std::move(content), status, stamp};
}

SignalsConfig signalsDocument(double expiryMs = 86400000) { return {expiryMs, true, false}; }

class ConfigManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::Clock::setShared(clock);
        PublisherProvidedInfo::setCurrentBuildType(0);
        manager = ConfigManager::create(settings);
    }
    void TearDown() override { platform::Clock::setShared(nullptr); }

    double now() const {
        return std::chrono::duration<double>(clock->wallNow().time_since_epoch()).count();
    }

    // Applies an answer and returns the handled types.
    std::vector<ConfigType> apply(std::vector<ConfigResponse::Config> entries) {
        std::vector<ConfigType> handled;
        bool called = false;
        manager->handle(ConfigResponse{std::move(entries)}, [&](std::vector<ConfigType> types) {
            handled = std::move(types);
            called = true;
        });
        EXPECT_TRUE(called);
        return handled;
    }

    // A new manager over the store as it is on disk, as after a relaunch of the application.
    void relaunch() {
        defaults.relaunch();
        settings = std::make_shared<SettingsManager>();
        manager = ConfigManager::create(settings);
    }

    test::ScopedUserDefaults defaults;
    std::shared_ptr<platform::ManualClock> clock = std::make_shared<platform::ManualClock>();
    std::shared_ptr<SettingsManager> settings = std::make_shared<SettingsManager>();
    std::shared_ptr<ConfigManager> manager;
};

TEST_F(ConfigManagerTest, UpdatedEntryIsPersistedWithItsLifetimeAndStamp) {
    EXPECT_EQ(manager->expiredConfigTypes(),  // first start: everything but the mediation document
              (std::vector<ConfigType>{ConfigType::root, ConfigType::signals, ConfigType::primeAds, ConfigType::analytics}));
    PublisherProvidedInfo::setCurrentBuildType(1);
    EXPECT_EQ(ConfigManager::create(settings)->rootOrDefault().url, ConfigDefaults::root(1).url);
    PublisherProvidedInfo::setCurrentBuildType(0);

    EXPECT_EQ(apply({entry(ConfigType::signals, Status::updated, 1700000000123, signalsDocument())}),
              std::vector<ConfigType>{ConfigType::signals});
    EXPECT_DOUBLE_EQ(ConfigManager::storedValue(Key::configExpiry, ConfigType::signals), 86400);
    EXPECT_DOUBLE_EQ(ConfigManager::storedValue(Key::configLastUpdated, ConfigType::signals), now());
    EXPECT_EQ(ConfigManager::requestStamp(ConfigType::signals), 1700000000123);
    const auto isExpired = [this] {
        const auto expired = manager->expiredConfigTypes();
        return std::find(expired.begin(), expired.end(), ConfigType::signals) != expired.end();
    };
    clock->advanceSeconds(86400);
    EXPECT_FALSE(isExpired());
    clock->advanceSeconds(1);
    EXPECT_TRUE(isExpired());
}

TEST_F(ConfigManagerTest, NoChangeConfirmsOnlyAPersistedCopy) {
    apply({entry(ConfigType::root, Status::updated, 10, ConfigDefaults::root(0))});
    const auto persisted = KeyValueStore::get("root");
    clock->advanceSeconds(100);

    EXPECT_EQ(apply({entry(ConfigType::root, Status::noChange, 99)}), std::vector<ConfigType>{ConfigType::root});
    EXPECT_DOUBLE_EQ(ConfigManager::storedValue(Key::configLastUpdated, ConfigType::root), now());
    EXPECT_EQ(ConfigManager::requestStamp(ConfigType::root), 10);
    EXPECT_EQ(KeyValueStore::get("root"), persisted);

    // Nothing persisted to confirm: not handled, still expired, and the next request asks for a full copy.
    ConfigManager::setStoredValue(5, Key::lastUpdatedTs, ConfigType::analytics);
    EXPECT_TRUE(apply({entry(ConfigType::analytics, Status::noChange, 5)}).empty());
    EXPECT_EQ(ConfigManager::requestStamp(ConfigType::analytics), 0);
    EXPECT_DOUBLE_EQ(ConfigManager::storedValue(Key::configLastUpdated, ConfigType::analytics), 0);
}

TEST_F(ConfigManagerTest, AbsentOrUnencodableDocumentChangesNothing) {
    apply({entry(ConfigType::root, Status::updated, 10, ConfigDefaults::root(0))});
    const double lastUpdated = ConfigManager::storedValue(Key::configLastUpdated, ConfigType::root);
    test::LogCapture log;
    clock->advanceSeconds(5);
    EXPECT_TRUE(apply({entry(ConfigType::root, Status::updated, 20)}).empty());
    EXPECT_EQ(ConfigManager::requestStamp(ConfigType::root), 10);
    EXPECT_DOUBLE_EQ(ConfigManager::storedValue(Key::configLastUpdated, ConfigType::root), lastUpdated);

    EXPECT_FALSE(manager->store(signalsDocument(std::numeric_limits<double>::infinity()), ConfigType::signals));
    EXPECT_EQ(log.count("An invalid object was passed."), 2u);
    EXPECT_FALSE(KeyValueStore::get("signals").has_value());
    EXPECT_DOUBLE_EQ(ConfigManager::storedValue(Key::configLastUpdated, ConfigType::signals), 0);
}

TEST_F(ConfigManagerTest, DocumentsAndStampsSurviveARelaunch) {
    const auto mediation = decodeConfigDocument(ConfigType::primeMediation, mediationText);
    PrimeAdsConfig ads = ConfigDefaults::primeAds(0);
    ads.url = "https://bid.example/bid";
    ads.expiry = 3600000;
    bool loadedBeforeCompletion = false;
    manager->handle(ConfigResponse{{entry(ConfigType::primeMediation, Status::updated, 7, mediation),
                                    entry(ConfigType::primeAds, Status::updated, 8, ads)}},
                    [&](std::vector<ConfigType>) { loadedBeforeCompletion = settings->adUnitSettings("u1").has_value(); });
    EXPECT_TRUE(loadedBeforeCompletion);

    relaunch();
    EXPECT_EQ(manager->client(), ads);
    EXPECT_EQ(manager->mediation(), std::get<MediationConfig>(mediation));
    EXPECT_EQ(settings->adapterSettings("n1")->adapterName, "Alpha");
    EXPECT_EQ(ConfigManager::requestStamp(ConfigType::primeMediation), 7);
    EXPECT_EQ(ConfigManager::requestStamp(ConfigType::primeAds), 8);
    EXPECT_EQ(manager->expiredConfigTypes(),
              (std::vector<ConfigType>{ConfigType::root, ConfigType::signals, ConfigType::analytics}));
    clock->advanceSeconds(1e7);  // everything but the mediation document expires
    EXPECT_EQ(manager->expiredConfigTypes().size(), 4u);
}

TEST_F(ConfigManagerTest, UndecodablePersistedDocumentIsDroppedAndFullyExpired) {
    apply({entry(ConfigType::analytics, Status::updated, 9, ConfigDefaults::analytics())});
    KeyValueStore::set(PropertyValue(R"({"expiry":1,"sessionLength":2})"), "analytics");
    test::LogCapture log;
    relaunch();
    EXPECT_TRUE(log.contains("An error ocured while decoding the objet from Persistent Storage."));
    EXPECT_FALSE(KeyValueStore::get("analytics").has_value());
    EXPECT_EQ(ConfigManager::requestStamp(ConfigType::analytics), 0);
    EXPECT_DOUBLE_EQ(ConfigManager::storedValue(Key::configExpiry, ConfigType::analytics), 0);

    // A value that is not text is ignored silently.
    KeyValueStore::set(PropertyValue(std::int64_t{5}), "root");
    EXPECT_FALSE(manager->read(ConfigType::root).has_value());
}

TEST_F(ConfigManagerTest, BookkeepingValuesAreClampedAndMalformedMapsTreatedAsEmpty) {
    KeyValueStore::set(PropertyValue("not a map"), "lastUpdatedTs");
    EXPECT_EQ(ConfigManager::requestStamp(ConfigType::root), 0);
    ConfigManager::setStoredValue(1e30, Key::lastUpdatedTs, ConfigType::root);
    ConfigManager::setStoredValue(-1e30, Key::lastUpdatedTs, ConfigType::signals);
    ConfigManager::setStoredValue(12.9, Key::lastUpdatedTs, ConfigType::primeAds);
    ConfigManager::setStoredValue(std::numeric_limits<double>::quiet_NaN(), Key::lastUpdatedTs, ConfigType::analytics);
    EXPECT_EQ(ConfigManager::requestStamp(ConfigType::root), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(ConfigManager::requestStamp(ConfigType::signals), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(ConfigManager::requestStamp(ConfigType::primeAds), 12);
    EXPECT_EQ(ConfigManager::requestStamp(ConfigType::analytics), 0);

    // A service stamp in the map as an integer reads back as a number too.
    KeyValueStore::setDictionary(PropertyValue::Dictionary{{"root", PropertyValue(std::int64_t{77})}}, "lastUpdatedTs");
    EXPECT_EQ(ConfigManager::requestStamp(ConfigType::root), 77);
}

TEST_F(ConfigManagerTest, ConcurrentUpdatesAreNotLostAndReadersSeeWholeDocuments) {
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        while (!stop.load()) {
            const PrimeAdsConfig config = manager->clientOrDefault();
            ASSERT_TRUE(config.url == ConfigDefaults::primeAds(0).url || config.url == "https://bid.example/bid");
        }
    });
    std::vector<std::thread> threads;
    for (const ConfigType type : allConfigTypes) {
        threads.emplace_back([type] {
            for (int i = 1; i <= 50; ++i) {
                ConfigManager::setStoredValue(i, Key::configExpiry, type);
            }
        });
    }
    PrimeAdsConfig ads = ConfigDefaults::primeAds(0);
    ads.url = "https://bid.example/bid";
    for (int i = 0; i < 20; ++i) {
        apply({entry(ConfigType::primeAds, Status::updated, i, ads)});
    }
    for (auto& thread : threads) {
        thread.join();
    }
    stop = true;
    reader.join();
    for (const ConfigType type : allConfigTypes) {
        if (type != ConfigType::primeAds) {
            EXPECT_DOUBLE_EQ(ConfigManager::storedValue(Key::configExpiry, type), 50);
        }
    }
}

TEST(ConfigManagerStartupTests, FetchOutcomeMapsToTheStartupResult) {
    using Types = std::vector<ConfigType>;
    const auto code = [](const std::optional<SolenSdkError>& error) { return error ? error->code() : 0; };
    EXPECT_EQ(code(ConfigManager::startupError(Types{ConfigType::root, ConfigType::primeMediation}, std::nullopt)), 0);
    const auto empty = ConfigManager::startupError(Types{}, std::nullopt);
    EXPECT_EQ(code(empty), 1001);
    EXPECT_EQ(empty->localizedDescription(), "Failed to fetch config. Please check the configurations on Solen UI");
    EXPECT_EQ(ConfigManager::startupError(std::nullopt, NetworkError::serverError("down"))->localizedDescription(), "down");
    const auto offline = ConfigManager::startupError(std::nullopt, NetworkError::networkNotAvailable("x"));
    EXPECT_EQ(code(offline), 1002);
    EXPECT_EQ(offline->localizedDescription(), "SDK failed to initialize because no internet connection is available");
    EXPECT_EQ(ConfigManager::startupError(std::nullopt, NetworkError::requestFailed(-1001, "timed out"))->localizedDescription(),
              "Failed to fetch config. Please check the configurations on Solen UI");
}

}  // namespace
}  // namespace solen
