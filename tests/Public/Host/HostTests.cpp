#include "Platform/Device/AdvertisingIdentifierManager.h"
#include "Platform/Device/CellularProvider.h"
#include "Platform/Device/CurrentDevice.h"
#include "Platform/Device/LocationManager.h"
#include "Platform/Device/OperatingSystem.h"
#include "Platform/Device/TrackingAuthorization.h"
#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Foundation/FileManager.h"
#include "Platform/Foundation/Locale.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/Screen.h"
#include "support/LogCapture.h"
#include "support/ScopedApplication.h"
#include "support/ScopedDeviceSignals.h"
#include "support/ScopedUserDefaults.h"

#include <solen/host/Device.h>
#include <solen/host/Lifecycle.h>
#include <solen/host/MainLoop.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace solen::host {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using platform::Application;

// Records the lifecycle notifications posted through the default centre.
struct NotificationJournal {
    NotificationJournal() {
        for (const auto* name : {&Application::willResignActiveNotification, &Application::didEnterBackgroundNotification,
                                 &Application::willEnterForegroundNotification,
                                 &Application::didBecomeActiveNotification}) {
            platform::NotificationCenter::defaultCenter().addObserver(
                owner, *name, [this](const platform::Notification& n) { names.push_back(n.name); });
        }
    }
    std::vector<std::string> take() { return std::exchange(names, {}); }

    std::shared_ptr<int> owner = std::make_shared<int>();
    std::vector<std::string> names;
};

// The launch state is the process's, so the whole order is walked in one test.
TEST(HostLifecycleTests, ReportsPostThePlatformNotificationsInOrderAndOutOfOrderOnesAreIgnored) {
    test::ScopedApplication app;
    test::ScopedUserDefaults store;
    test::LogCapture log(1);  // refusals show at the public error level
    NotificationJournal journal;
    const std::string resign = Application::willResignActiveNotification;
    const std::string background = Application::didEnterBackgroundNotification;
    const std::string foreground = Application::willEnterForegroundNotification;
    const std::string active = Application::didBecomeActiveNotification;
    using State = Lifecycle::State;

    struct Step {
        std::function<void()> report;
        State state;                           // afterwards
        std::vector<std::string> notifications;
        bool ignored;
    };
    const std::vector<Step> steps = {
        {&Lifecycle::willEnterForeground, State::notLaunched, {}, true},
        {&Lifecycle::didEnterBackground, State::notLaunched, {}, true},
        {&Lifecycle::didFinishLaunching, State::active, {}, false},
        {&Lifecycle::didFinishLaunching, State::active, {}, true},
        {&Lifecycle::didBecomeActive, State::active, {}, true},
        {&Lifecycle::willEnterForeground, State::active, {}, true},
        {&Lifecycle::didEnterBackground, State::background, {resign, background}, false},
        {&Lifecycle::didEnterBackground, State::background, {}, true},
        {&Lifecycle::didBecomeActive, State::active, {foreground, active}, false},
        {&Lifecycle::didEnterBackground, State::background, {resign, background}, false},
        {&Lifecycle::willEnterForeground, State::inactive, {foreground}, false},
        {&Lifecycle::willEnterForeground, State::inactive, {}, true},
        {&Lifecycle::didBecomeActive, State::active, {active}, false},
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE("step " + std::to_string(i));
        log.clear();
        steps[i].report();
        EXPECT_EQ(Lifecycle::state(), steps[i].state);
        EXPECT_EQ(journal.take(), steps[i].notifications);
        EXPECT_EQ(log.contains("Ignoring the lifecycle report"), steps[i].ignored);
    }

    // Going to the background saves the stored values at once.
    store.defaults()->set(platform::PropertyValue("kept"), "hostKey");
    Lifecycle::didEnterBackground();
    std::ifstream file(store.path());
    const std::string saved((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_NE(saved.find("hostKey"), std::string::npos);
    Lifecycle::didBecomeActive();
}

// Each fact: a good value, what the SDK then reads, and malformed values that are refused.
struct FactCase {
    const char* name;
    std::function<void()> give;
    std::function<std::string()> read;
    std::string expected;
    std::vector<std::function<void()>> malformed;
};

std::string screenText() {
    const auto& screen = platform::Screen::main();
    return std::to_string(static_cast<int>(screen.bounds().width())) + "x" +
           std::to_string(static_cast<int>(screen.bounds().height())) + "@" + std::to_string(static_cast<int>(screen.scale()));
}

std::string carrierText() {
    const auto carrier = platform::CellularProvider::subscriberCellularProvider();
    return carrier ? carrier->carrierName.value_or("") + " " + carrier->mobileCountryCode.value_or("") + " " +
                         carrier->mobileNetworkCode.value_or("")
                   : "none";
}

TEST(HostDeviceTests, GoodFactsReachTheSdkAndMalformedOnesLeaveThePreviousValue) {
    test::ScopedApplication app;
    test::ScopedDeviceSignals signals;
    using Tracking = Device::TrackingAuthorization;
    using Where = Device::LocationAuthorization;
    const double nan = std::nan("");
    const std::vector<FactCase> cases = {
        {"system version", [] { Device::setSystemVersion("17.4.1"); }, &platform::OperatingSystem::version, "17.4.1",
         {[] { Device::setSystemVersion(""); }, [] { Device::setSystemVersion("17.x"); },
          [] { Device::setSystemVersion("1.2.3.4.5"); }, [] { Device::setSystemVersion("-1"); },
          [] { Device::setSystemVersion("17."); }}},
        {"model", [] { Device::setModel("Tablet"); }, &platform::CurrentDevice::model, "Tablet",
         {[] { Device::setModel(""); }, [] { Device::setModel("Tablet\n"); }}},
        {"machine", [] { Device::setMachineName("Tablet13,1"); }, &platform::CurrentDevice::machineName, "Tablet13,1",
         {[] { Device::setMachineName(""); }}},
        {"advertising id", [] { Device::setAdvertisingIdentifier("6d92078a-8246-4ba4-ae5b-76104861e7dc"); },
         &platform::AdvertisingIdentifierManager::advertisingIdentifier, "6D92078A-8246-4BA4-AE5B-76104861E7DC",
         {[] { Device::setAdvertisingIdentifier("6d92078a"); }, [] { Device::setAdvertisingIdentifier(""); }}},
        // The identifier given above now reads as zeros, as on a phone.
        {"tracking", [] { Device::setTrackingAuthorization(Tracking::denied); },
         [] {
             return std::to_string(static_cast<int>(platform::TrackingAuthorization::trackingAuthorizationStatus())) +
                    (platform::AdvertisingIdentifierManager::isAdvertisingTrackingEnabled() ? " on " : " off ") +
                    platform::AdvertisingIdentifierManager::advertisingIdentifier();
         },
         "2 off 00000000-0000-0000-0000-000000000000",
         {[] { Device::setTrackingAuthorization(static_cast<Tracking>(7)); }}},
        {"carrier", [] { Device::setCarrier(Device::Carrier{"Two", "208", "01"}); }, &carrierText, "Two 208 01",
         {[] { Device::setCarrier(Device::Carrier{"Two", "20", "01"}); },
          [] { Device::setCarrier(Device::Carrier{"Two", "208", "1"}); },
          [] { Device::setCarrier(Device::Carrier{"", "208", "01"}); }}},
        {"locale", [] { Device::setLocale("de_DE"); }, [] { return platform::Locale::current().identifier(); }, "de_DE",
         {[] { Device::setLocale("de DE"); }, [] { Device::setLocale(""); }, [] { Device::setLocale("x"); }}},
        {"screen", [] { Device::setScreen({320, 568}, 2); }, &screenText, "320x568@2",
         {[] { Device::setScreen({-320, 568}, 2); }, [] { Device::setScreen({320, 0}, 2); },
          [nan] { Device::setScreen({320, 568}, nan); }}},
        {"location authorisation", [] { Device::setLocationAuthorization(Where::authorizedWhenInUse); },
         [] { return std::to_string(static_cast<int>(platform::LocationManager::authorizationStatus())); }, "4",
         {[] { Device::setLocationAuthorization(static_cast<Where>(-1)); }}},
    };
    test::LogCapture log(1);  // refusals show at the public error level
    for (const FactCase& fact : cases) {
        SCOPED_TRACE(fact.name);
        log.clear();
        fact.give();
        EXPECT_EQ(fact.read(), fact.expected);
        EXPECT_FALSE(log.contains("Refused"));
        for (const auto& bad : fact.malformed) {
            log.clear();
            bad();
            EXPECT_EQ(fact.read(), fact.expected);
            EXPECT_EQ(log.count("Refused"), 1u);
        }
    }
    // No SIM again.
    Device::setCarrier(std::nullopt);
    EXPECT_EQ(carrierText(), "none");
    platform::LocationManager::resetSimulation();
}

// Receives what the location services deliver.
struct LocationRecorder : platform::LocationManagerDelegate {
    void locationManagerDidUpdateLocations(platform::LocationManager&, const std::vector<platform::Location>& l) override {
        locations.insert(locations.end(), l.begin(), l.end());
    }
    void locationManagerDidFailWithError(platform::LocationManager&, const platform::Error&) override {}
    std::vector<platform::Location> locations;
};

TEST(HostDeviceTests, LocationUpdatesReachListenersAndBadCoordinatesAreRefused) {
    test::LogCapture log(1);  // refusals show at the public error level
    Device::setLocationServicesEnabled(true);
    Device::setLocationAuthorization(Device::LocationAuthorization::authorizedAlways);
    auto recorder = std::make_shared<LocationRecorder>();
    auto manager = platform::LocationManager::create();
    manager->setDelegate(recorder);
    manager->startUpdatingLocation();

    platform::Location paris;
    paris.coordinate = {48.85, 2.35};
    Device::updateLocation(paris);
    platform::Location outside = paris;
    outside.coordinate.latitude = 91;
    Device::updateLocation(outside);
    outside.coordinate.latitude = std::nan("");
    Device::updateLocation(outside);
    platform::MainLoop::shared().runUntilIdle();
    ASSERT_EQ(recorder->locations.size(), 1u);
    EXPECT_EQ(recorder->locations[0].coordinate.latitude, 48.85);
    EXPECT_EQ(log.count("Refused a location"), 2u);
    manager->stopUpdatingLocation();
    platform::LocationManager::resetSimulation();
}

TEST(HostDeviceTests, TheDataFolderHoldsTheStoreAndTheDocuments) {
    test::ScopedUserDefaults previous;
    test::LogCapture log(1);  // refusals show at the public error level
    const auto folder = previous.directory() / "app data";
    Device::setDataFolder(folder);
    EXPECT_EQ(platform::UserDefaults::standardPath(), folder / "UserDefaults.json");
    EXPECT_THAT(platform::FileManager::defaultManager().documentDirectoryURLs(), ElementsAre(folder / "Documents"));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "Documents"));
    EXPECT_TRUE(platform::FileManager::defaultManager().creationDate(folder / "Documents").has_value());

    // A folder that cannot be created (a file is in the way) and an empty path keep the old one.
    std::ofstream(previous.directory() / "file") << "x";
    Device::setDataFolder(previous.directory() / "file" / "below");
    Device::setDataFolder("");
    EXPECT_EQ(platform::UserDefaults::standardPath(), folder / "UserDefaults.json");
    EXPECT_EQ(log.count("Refused the data folder"), 2u);
    platform::FileManager::defaultManager().setDocumentDirectory(std::nullopt);
    platform::FileManager::defaultManager().setCreationDateProvider(nullptr);
}

TEST(HostThreadTests, CallsFromAnotherThreadAreLoggedAndMovedToMainQueriesWaitForTheAnswer) {
    test::ScopedDeviceSignals signals;
    test::LogCapture log(1);  // refusals show at the public error level
    std::atomic<bool> done{false};
    std::string answer;
    std::thread host([&] {
        Device::setSystemVersion("18.1");
        answer = Device::systemVersion();  // runs after the setter on main
        MainLoop::post([&done] { done = true; });
    });
    EXPECT_TRUE(MainLoop::runUntil([&] { return done.load(); }, 5s));
    host.join();
    EXPECT_EQ(answer, "18.1");
    EXPECT_EQ(log.count("was called off the main thread"), 2u);
}

TEST(HostMainLoopTests, RunsPostedBlocksInOrderAndRefusesBadInput) {
    test::LogCapture log(1);  // refusals show at the public error level
    std::vector<int> order;
    MainLoop::post([&order] { order.push_back(1); });
    MainLoop::post([&order] {
        order.push_back(2);
        MainLoop::post([&order] { order.push_back(3); });
    });
    EXPECT_THAT(order, IsEmpty());  // never inline
    EXPECT_EQ(MainLoop::runOnce(), 3u);
    EXPECT_THAT(order, ElementsAre(1, 2, 3));

    MainLoop::post(nullptr);
    EXPECT_FALSE(MainLoop::runUntil([] { return false; }, -1ms));
    EXPECT_TRUE(MainLoop::runUntil([] { return true; }, -1ms));
    EXPECT_EQ(log.count("main loop"), 3u);
    EXPECT_EQ(MainLoop::runOnce(), 0u);
}

}  // namespace
}  // namespace solen::host
