#include "Ad/Network/BidRequestAssembler.h"
#include "Ad/Network/Signals/CustomExtras.h"
#include "Ad/Network/Signals/GeoLocation.h"
#include "Ad/Network/Signals/Identifiers.h"
#include "Commons/Configs/ConfigDefaults.h"
#include "Commons/Configs/ConfigManager.h"
#include "Commons/Storage/KeyValueStore.h"
#include "Commons/Utilities/PublisherProvidedInfo.h"
#include "Platform/Device/LocationManager.h"
#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Foundation/UUID.h"
#include "Platform/Foundation/UserDefaults.h"
#include "support/LogCapture.h"
#include "support/ScopedDeviceSignals.h"
#include "support/ScopedManualClock.h"
#include "support/ScopedUserDefaults.h"

#include <gtest/gtest.h>

#include <atomic>
#include <limits>
#include <thread>

namespace solen {
namespace {

using platform::PropertyValue;

constexpr const char* kSession = "11111111-2222-4333-8444-555555555555";
constexpr double kNow = 1'800'000'000.0;  // the manual clock's wall start

struct Settings {
    bool location = true;
    bool cell = true;
    bool ida = true;
    bool idv = true;
    double mediationLastUpdatedTs = 1700000000123.9;
};

// Puts signals and root documents in the configuration manager's cache, as a fetch would.
void installConfig(const Settings& settings) {
    auto manager = ConfigManager::shared();
    SignalsConfig signals = ConfigDefaults::signals();
    signals.location = settings.location;
    signals.cell = settings.cell;
    RootConfig root = ConfigDefaults::root(0);
    root.ids.ida = settings.ida;
    root.ids.idv = settings.idv;
    ASSERT_TRUE(manager->store(signals, ConfigType::signals));
    ASSERT_TRUE(manager->store(root, ConfigType::root));
    manager->loadConfigs();
    ConfigManager::setStoredValue(settings.mediationLastUpdatedTs, ConfigManager::StoredValueKey::lastUpdatedTs,
                                  ConfigType::primeMediation);
}

platform::Location location(double latitude, double longitude, double accuracy) {
    platform::Location fix;
    fix.coordinate = {latitude, longitude};
    fix.horizontalAccuracy = accuracy;
    return fix;
}

// Compares documents without regard to key order, which carries no meaning.
void expectSameJson(const Json& actual, const std::string& expected) {
    EXPECT_EQ(nlohmann::json::parse(actual.dump()), nlohmann::json::parse(expected)) << actual.dump();
}

class BidRequestAssemblerTests : public ::testing::Test {
protected:
    void SetUp() override {
        Identifiers::resetForTesting();
        CustomExtras::resetForTesting();
        GeoLocation::shared()->resetForTesting();
        KeyValueStore::set(PropertyValue(kSession), "sessionIdentifier");
        KeyValueStore::set(PropertyValue(kNow - 100), "lastActivityTs");
        ConfigManager::shared()->loadConfigs();  // built-in defaults over the fresh store
    }
    void TearDown() override {
        Identifiers::resetForTesting();
        CustomExtras::resetForTesting();
        GeoLocation::shared()->resetForTesting();
        platform::LocationManager::resetSimulation();
    }

    // Takes a device fix through the shared location reader, as start-up does.
    void obtainDeviceFix(const platform::Location& fix) {
        platform::LocationManager::setLocationServicesEnabled(true);
        platform::LocationManager::setAuthorizationStatus(platform::LocationManager::AuthorizationStatus::authorizedWhenInUse);
        platform::MainLoop::shared().runUntilIdle();  // the shared reader creates its manager on main
        GeoLocation::shared()->updateLocation();
        platform::MainLoop::shared().runUntilIdle();
        platform::LocationManager::simulateLocations({fix});
        platform::MainLoop::shared().runUntilIdle();
        ASSERT_TRUE(GeoLocation::shared()->deviceLocation().has_value());
    }

    test::ScopedUserDefaults defaults_;
    test::ScopedManualClock clock_;
    test::ScopedDeviceSignals device_;
};

TEST_F(BidRequestAssemblerTests, GoldenDocumentWithEverySignal) {
    installConfig(Settings{});
    test::ScopedDeviceSignals::Values values = device_.values();
    values.bundleInfo["SKAdNetworkItems"] = Json::parse(R"([
        {"SKAdNetworkIdentifier": "a.skadnetwork"},
        {"SKAdNetworkIdentifier": "b.skadnetwork", "rank": 2},
        {"SKAdNetworkIdentifier": "c.skadnetwork", "note": "x"},
        "d.skadnetwork"])");
    values.bundleInfo["NSAppTransportSecurity"] = Json{{"NSAllowsArbitraryLoads", true}};
    device_.apply(values);

    PublisherProvidedInfo::setLocation(location(52.52, 13.405, 65));
    CustomExtras::storeCustomExtras(Json::parse(R"({"customIds":[{"idType":"email","value":"a@b"}],"tier":3,"gender":2})"));
    KeyValueStore::set(PropertyValue("p-1"), "ppId");
    defaults_.defaults()->set(PropertyValue("CO-TCF"), "IABTCF_TCString");
    defaults_.defaults()->set(PropertyValue(1), "IABTCF_gdprApplies");
    PublisherProvidedInfo::setConsent(Json{{"gdpr_consent_available", true}});
    BidRequestAssembler::setNetworkSdkDataProvider([](const std::string& adUnitId) {
        EXPECT_EQ(adUnitId, "unit-1");
        return std::optional<std::map<std::string, NetworkSDKData>>({{"7", NetworkSDKData{"1.2.3", "dG9rZW4="}}});
    });

    ImpressionInfo impression{50, 320, std::map<std::string, std::string>{{"k", "v"}}};
    AdRequestParam document = BidRequestAssembler::assemble("unit-1", impression);
    ASSERT_TRUE(platform::UUID::fromString(document.ext.sdk.rid).has_value());
    document.ext.sdk.rid = "RID";

    const auto body = document.tryEncode();
    ASSERT_TRUE(body) << body.error;
    expectSameJson(*body.body, R"json({
      "device": {"lmt": 1, "att": "3", "screendensity": 3.0, "localization": "en_US", "orientation": 1,
                 "connectiontype": 0, "ua": "Mozilla/5.0 (Test)", "make": "Apple", "model": "iPhone",
                 "osv": "17.2", "hwv": "iPhone15,2", "devicetype": 4, "carrier": "Carrier One",
                 "mccmnc": "310-260", "geo": {"lat": 52.52, "lon": 13.405, "type": 3, "accuracy": 65.0}},
      "app": {"bundle": "com.example.demo", "name": "Demo", "ver": "2.1.0"},
      "ext": {"sdk": {"ver": "p-i-1.0.0-beta4", "ats": "{\"NSAllowsArbitraryLoads\":true}",
                      "idmap": "{\"IDA\":\"0D1C2B3A-4F5E-4D6C-8B7A-9F0E1D2C3B4A\",\"IDV\":\"5A8C3C1E-1B6A-4F3B-9C0E-2D4F6A8B0C1D\"}",
                      "sid": "11111111-2222-4333-8444-555555555555", "rid": "RID", "ts": 1800000000000,
                      "mediationconfigts": 1700000000123, "adUnitId": "unit-1"},
              "skadn": {"ver": "2.0", "skadnetids": ["a.skadnetwork", "c.skadnetwork"]},
              "tpnsdks": {"7": {"ver": "1.2.3", "bidToken": "dG9rZW4="}}},
      "imp": {"h": 50.0, "w": 320.0, "ext": {"k": "v"}},
      "user": {"gender": 2, "ext": {"customIds": [{"idType": "email", "value": "a@b"},
                                                  {"idType": "PPID", "value": "p-1"}], "tier": 3}},
      "regs": {"consent": {"gdpr_consent": "CO-TCF", "gdpr": "1"}}
    })json");
}

TEST_F(BidRequestAssemblerTests, GoldenDocumentWithNothingOptional) {
    test::ScopedDeviceSignals::Values values;
    values.machineName = "x86_64";
    values.model = "Linux";
    values.osVersion = "13.7";
    values.vendorIdentifier.reset();
    values.trackingEnabled = false;
    values.reachabilityFlags.reset();
    values.userAgent.reset();
    values.bundleInfo = Json{{"CFBundleName", "Plain"}, {"SKAdNetworkItems", Json::array({Json{{"SKAdNetworkIdentifier", "a"}}})}};
    device_.apply(values);
    installConfig(Settings{});
    obtainDeviceFix(location(4, 5, 6));
    installConfig(Settings{false, false, false, true, 0});
    PublisherProvidedInfo::setLocation(location(1, 2, 3));

    AdRequestParam document = BidRequestAssembler::assemble("unit-2", ImpressionInfo{});
    document.ext.sdk.rid = "RID";
    const auto body = document.tryEncode();
    ASSERT_TRUE(body) << body.error;
    // No "att" or "skadn" before 14.0, no carrier or geo without permission, no user, no regs.
    expectSameJson(*body.body, R"json({
      "device": {"lmt": 0, "screendensity": 3.0, "localization": "en_US", "orientation": 1,
                 "connectiontype": -1, "make": "Apple", "model": "Linux", "osv": "13.7", "hwv": "x86_64",
                 "devicetype": 0},
      "app": {"name": "Plain"},
      "ext": {"sdk": {"ver": "p-i-1.0.0-beta4", "idmap": "{}", "sid": "11111111-2222-4333-8444-555555555555",
                      "rid": "RID", "ts": 1800000000000, "mediationconfigts": 0, "adUnitId": "unit-2"}},
      "imp": {}
    })json");
}

// The sent text is the dump of the document, here with text that needs escaping or is not ASCII,
// free-form members and header-bidding data.
TEST_F(BidRequestAssemblerTests, SentTextIsTheDumpOfTheDocument) {
    installConfig(Settings{});
    test::ScopedDeviceSignals::Values values = device_.values();
    values.bundleInfo["CFBundleDisplayName"] = "D\xC3\xA9mo \"quoted\"\n";
    values.userAgent = "Mozilla/5.0 (Test; \\ \x01)";
    device_.apply(values);
    PublisherProvidedInfo::setLocation(location(-33.8688, 151.2093, 12.5));
    CustomExtras::storeCustomExtras(Json::parse(R"({"customIds":[{"idType":"email","value":"\u00e9@b"}],"tier":3.25})"));
    PublisherProvidedInfo::setConsent(Json{{"gdpr_consent_available", true}, {"us_privacy", "1YNN"}});
    BidRequestAssembler::setNetworkSdkDataProvider([](const std::string&) {
        return std::optional<std::map<std::string, NetworkSDKData>>(
            {{"7", NetworkSDKData{"1.2.3", std::string(268, 'A')}}, {"n\"2", NetworkSDKData{"", "=="}}});
    });

    const AdRequestParam document = BidRequestAssembler::assemble("unit-\xE2\x82\xAC", ImpressionInfo{50, 320, {}});
    EXPECT_EQ(document.encodeText(), document.encode().dump());
    const auto sent = BidRequestAssembler::assembleBody("unit-1", ImpressionInfo{});
    BidRequestAssembler::setNetworkSdkDataProvider({});
    ASSERT_TRUE(sent) << sent.error;
    EXPECT_EQ(Json::parse(*sent.body)["ext"]["tpnsdks"]["n\"2"], (Json{{"ver", ""}, {"bidToken", "=="}}));
}

TEST_F(BidRequestAssemblerTests, GeoPrefersTheDeviceFixOverTheStoredLocation) {
    installConfig(Settings{});
    EXPECT_EQ(BidRequestAssembler::geoInfo(), std::nullopt);

    PublisherProvidedInfo::setLocation(location(52.52, 13.405, 65));
    EXPECT_EQ(BidRequestAssembler::geoInfo(), (GeoInfo{52.52, 13.405, 3, 65.0}));

    obtainDeviceFix(location(-33.5, 151.25, 100));
    EXPECT_EQ(BidRequestAssembler::geoInfo(), (GeoInfo{-33.5, 151.25, 1, 100.0}));
}

TEST_F(BidRequestAssemblerTests, SessionRollsOverOnlyPastTheSessionLength) {
    installConfig(Settings{});  // built-in session length: thirty minutes
    KeyValueStore::set(PropertyValue(kNow - 1800), "lastActivityTs");
    EXPECT_EQ(BidRequestAssembler::sdkExtrasInfo("u").sid, kSession);
    EXPECT_EQ(KeyValueStore::get("lastActivityTs")->number(), kNow - 1800);

    clock_.advanceSeconds(1);
    const std::string rolled = BidRequestAssembler::sdkExtrasInfo("u").sid;
    EXPECT_NE(rolled, kSession);
    EXPECT_EQ(KeyValueStore::get("sessionIdentifier"), PropertyValue(rolled));
    EXPECT_EQ(KeyValueStore::get("lastActivityTs")->number(), kNow + 1);

    // The new session holds until it is idle for longer than the session length again.
    clock_.advanceSeconds(1800);
    EXPECT_EQ(BidRequestAssembler::sdkExtrasInfo("u").sid, rolled);
}

TEST_F(BidRequestAssemblerTests, ConcurrentRollOverDrawsOneSession) {
    KeyValueStore::set(PropertyValue(kNow - 4000), "lastActivityTs");
    std::vector<std::string> sessions(8);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < sessions.size(); ++i) {
        threads.emplace_back([&sessions, i] { sessions[i] = BidRequestAssembler::sdkExtrasInfo("u").sid; });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (const auto& session : sessions) {
        EXPECT_EQ(session, sessions.front());
    }
    EXPECT_NE(sessions.front(), kSession);
}

TEST_F(BidRequestAssemblerTests, AssemblyRunsOnAnyThreadWhileSignalsChange) {
    installConfig(Settings{});
    PublisherProvidedInfo::setLocation(location(52.52, 13.405, 65));
    std::atomic<int> done{0};
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&] {
            for (int n = 0; n < 20; ++n) {
                if (!BidRequestAssembler::assembleBody("u", ImpressionInfo{})) {
                    ++failures;
                }
            }
            ++done;
        });
    }
    threads.emplace_back([&] {
        for (int n = 0; n < 20; ++n) {
            CustomExtras::storeCustomExtras(Json{{"qo_customIds", Json::array({Json{{"value", n}}})}});
            PublisherProvidedInfo::setConsent(Json{{"gdpr", n % 2}});
            Identifiers::markActivity();
        }
        ++done;
    });
    // The orientation is read on the main thread: keep it turning while the others build.
    EXPECT_TRUE(platform::MainLoop::shared().runUntil([&] { return done == 5; }, std::chrono::seconds(60)));
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(failures, 0);
}

TEST_F(BidRequestAssemblerTests, MediationTimestampIsTruncatedAndClamped) {
    const std::vector<std::pair<double, std::int64_t>> cases = {
        {-5.7, -5}, {std::numeric_limits<double>::infinity(), 0}, {-1e300, std::numeric_limits<std::int64_t>::min()},
        {9223372036854775808.0, std::numeric_limits<std::int64_t>::max()}};
    for (const auto& [stored, expected] : cases) {
        ConfigManager::setStoredValue(stored, ConfigManager::StoredValueKey::lastUpdatedTs, ConfigType::primeMediation);
        EXPECT_EQ(BidRequestAssembler::sdkExtrasInfo("u").mediationconfigts, expected) << stored;
    }
}

TEST_F(BidRequestAssemblerTests, TransportSecurityIsSentOnlyForATopLevelMapOrList) {
    const std::vector<std::pair<Json, std::optional<std::string>>> cases = {
        {Json("YES"), std::nullopt},
        {Json(true), std::nullopt},
        {Json(5), std::nullopt},
        {Json{{"NSAllowsArbitraryLoads", true}}, R"({"NSAllowsArbitraryLoads":true})"},
        {Json::array({"a", 1, nullptr}), R"(["a",1,null])"},
        {Json{{"x", std::numeric_limits<double>::infinity()}}, std::nullopt},
        {Json::array({"\xFF"}), std::nullopt},
    };
    for (const auto& [value, expected] : cases) {
        test::ScopedDeviceSignals::Values values = device_.values();
        values.bundleInfo["NSAppTransportSecurity"] = value;
        device_.apply(values);
        EXPECT_EQ(BidRequestAssembler::sdkExtrasInfo("u").ats, expected) << value.dump();
    }
}

TEST_F(BidRequestAssemblerTests, UnencodableConsentFailsTheRequestWithItsPath) {
    test::LogCapture log;
    PublisherProvidedInfo::setConsent(Json{{"gdpr", std::numeric_limits<double>::quiet_NaN()}});
    const auto result = BidRequestAssembler::assembleBody("u", ImpressionInfo{});
    EXPECT_FALSE(result);
    EXPECT_NE(result.error.find("regs.consent.gdpr"), std::string::npos) << result.error;
    EXPECT_TRUE(log.contains("bid request cannot be encoded"));
}

}  // namespace
}  // namespace solen
