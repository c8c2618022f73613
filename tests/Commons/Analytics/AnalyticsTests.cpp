#include "Commons/Analytics/Analytics.h"
#include "Commons/Analytics/EventRequest.h"

#include "Ad/Network/Signals/Identifiers.h"
#include "Commons/Storage/KeyValueStore.h"
#include "Commons/Utilities/Utilities.h"
#include "Platform/Device/AdvertisingIdentifierManager.h"
#include "Platform/Device/OperatingSystem.h"
#include "Platform/Device/TrackingAuthorization.h"
#include "Platform/Foundation/FileManager.h"
#include "Platform/Foundation/UserDefaults.h"

#include "support/DispatchWait.h"
#include "support/LocalServiceEndpoint.h"
#include "support/LogCapture.h"
#include "support/ScopedManualClock.h"
#include "support/ScopedUserDefaults.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace solen {
namespace {

using namespace std::chrono_literals;

constexpr std::int64_t installMs = 1609459200500;

class AnalyticsTests : public ::testing::Test {
protected:
    void SetUp() override {
        server->clearRequests();
        Identifiers::resetForTesting();
        Analytics::setInitializationCheck([this] { return initialized.load(); });
        platform::FileManager::defaultManager().setCreationDateProvider(
            [](const std::filesystem::path&) -> std::optional<platform::Clock::WallTimePoint> {
                return platform::Clock::WallTimePoint(std::chrono::milliseconds(installMs));
            });
    }
    void TearDown() override {
        ASSERT_TRUE(test::drainGlobalQueue());
        Analytics::setInitializationCheck(nullptr);
        platform::FileManager::defaultManager().setCreationDateProvider(nullptr);
        platform::AdvertisingIdentifierManager::setTrackingEnabledProvider(nullptr);
        platform::TrackingAuthorization::setStatusProvider(nullptr);
        platform::OperatingSystem::setVersionProvider(nullptr);
        Identifiers::resetForTesting();
    }

    static void setPpId(const std::string& value) { KeyValueStore::set(platform::PropertyValue(value), "ppId"); }

    // The uploads that arrived, as JSON documents.
    std::vector<Json> uploads(std::size_t expected) {
        EXPECT_TRUE(server->waitForRequests(expected, 5s));
        EXPECT_TRUE(test::drainGlobalQueue());
        std::this_thread::sleep_for(50ms);
        std::vector<Json> result;
        for (const auto& request : server->requests()) {
            result.push_back(Json::parse(request.body));
        }
        return result;
    }

    test::LocalHttpServer* server = &test::localServiceEndpoint();
    test::ScopedUserDefaults defaults;
    std::atomic<bool> initialized{true};
};

TEST_F(AnalyticsTests, TrackingNeedsANonEmptyPpIdAndAnInitialisedSdk) {
    test::LogCapture log;
    setPpId("");
    EXPECT_FALSE(Analytics::isTrackingEnabled());
    KeyValueStore::set(platform::PropertyValue(std::int64_t{5}), "ppId");
    EXPECT_FALSE(Analytics::isTrackingEnabled());
    setPpId("pp-1");
    EXPECT_TRUE(Analytics::isTrackingEnabled());
    initialized = false;
    EXPECT_FALSE(Analytics::isTrackingEnabled());
    Analytics::fireAppOpenEvent();
    Analytics::fireAppLaunchEvent();
    EXPECT_TRUE(log.contains("Tracking is not enabled"));
    // Enabled, but the install time is not known: no launch event either.
    initialized = true;
    platform::FileManager::defaultManager().setCreationDateProvider(
        [](const std::filesystem::path&) -> std::optional<platform::Clock::WallTimePoint> { return std::nullopt; });
    Analytics::fireAppLaunchEvent();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(server->requestCount(), 0u);
    EXPECT_FALSE(defaults.defaults()->get(Analytics::appLaunchKey));
}

TEST_F(AnalyticsTests, LaunchIsSentOncePerInstallThenOnlyOpen) {
    setPpId("pp-1");
    Utilities::setAppId("app-42");
    Analytics::fireAppLaunchEvent();
    Analytics::fireAppOpenEvent();
    auto bodies = uploads(2);
    ASSERT_EQ(bodies.size(), 2u);
    EXPECT_EQ(defaults.defaults()->get(Analytics::appLaunchKey), platform::PropertyValue(true));

    const Json* launch = nullptr;
    for (const auto& body : bodies) {
        if (body["ext"]["events"][0]["name"] == "AppLaunch") launch = &body;
    }
    ASSERT_NE(launch, nullptr);
    const auto& event = (*launch)["ext"]["events"][0];
    EXPECT_EQ(event["info"]["installTs"], installMs);
    EXPECT_TRUE(event["info"]["ts"].is_number_integer());
    EXPECT_EQ(event["sid"], Identifiers::sessionIdentifier());
    EXPECT_EQ((*launch)["ext"]["sdk"]["ver"], "p-i-1.0.0-beta4");
    EXPECT_EQ((*launch)["ext"]["sdk"]["appId"], "app-42");

    // A second start-up: the flag is set, only "AppOpen" leaves.
    server->clearRequests();
    defaults.relaunch();
    Analytics::fireAppLaunchEvent();
    Analytics::fireAppOpenEvent();
    bodies = uploads(1);
    ASSERT_EQ(bodies.size(), 1u);
    EXPECT_EQ(bodies[0]["ext"]["events"][0]["name"], "AppOpen");
    EXPECT_FALSE(bodies[0]["ext"]["events"][0]["info"].contains("installTs"));
}

TEST_F(AnalyticsTests, ConcurrentStartUpsSendOneLaunch) {
    setPpId("pp-1");
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([] { Analytics::fireAppLaunchEvent(); });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(uploads(1).size(), 1u);
}

TEST_F(AnalyticsTests, UploadCarriesHeadersAndDeviceFacts) {
    setPpId("pp-1");
    platform::AdvertisingIdentifierManager::setTrackingEnabledProvider([] { return true; });
    platform::TrackingAuthorization::setStatusProvider([] { return platform::TrackingAuthorization::Status::denied; });
    platform::OperatingSystem::setVersionProvider([] { return std::string("17.2"); });
    Analytics::fireAppOpenEvent();
    ASSERT_TRUE(server->waitForRequests(1, 5s));
    const auto request = server->requests().at(0);
    EXPECT_EQ(request.target, "/analyticsEvent");
    EXPECT_EQ(request.header("version"), "1.0.0");
    EXPECT_EQ(request.header("Content-Type"), "application/json");
    const auto body = Json::parse(request.body);
    EXPECT_EQ(body["device"], (Json{{"lmt", 1}, {"att", "2"}}));
    EXPECT_FALSE(body.contains("regs"));

    server->clearRequests();
    platform::OperatingSystem::setVersionProvider([] { return std::string("13.7"); });
    platform::AdvertisingIdentifierManager::setTrackingEnabledProvider([] { return false; });
    Analytics::fireAppOpenEvent();
    ASSERT_TRUE(server->waitForRequests(1, 5s));
    EXPECT_EQ(Json::parse(server->requests().at(0).body)["device"], (Json{{"lmt", 0}}));

    const auto prepared = Analytics::createNetworkRequest({Event{"AppOpen", "s", std::nullopt}});
    EXPECT_EQ(prepared->retryCount(), 3);
    EXPECT_EQ(prepared->retryInterval(), 60.0);
}

TEST_F(AnalyticsTests, EventsRollTheSessionAfterTheSessionLengthAndEncodeWithoutAbsentMembers) {
    test::ScopedManualClock clock;
    const double now = std::chrono::duration<double>(clock.clock()->wallNow().time_since_epoch()).count();
    Identifiers::setSessionIdentifier("old-session");

    Identifiers::setLastActivityTs(now - 1801);
    const auto event = Event::make(Event::Type::appLaunch, std::nullopt);
    EXPECT_NE(event.sid, "old-session");
    EXPECT_EQ(KeyValueStore::get("sessionIdentifier"), platform::PropertyValue(event.sid));
    EXPECT_EQ(KeyValueStore::get("lastActivityTs"), platform::PropertyValue(now));

    // Encoding leaves out absent members.
    EXPECT_EQ(Event({std::nullopt, "s", std::nullopt}).encode(), (Json{{"sid", "s"}}));
    EXPECT_EQ(Event({"AppOpen", "s", AnyDictionary{{"ts", 5}}}).encode(),
              (Json{{"name", "AppOpen"}, {"sid", "s"}, {"info", {{"ts", 5}}}}));
}

}  // namespace
}  // namespace solen
