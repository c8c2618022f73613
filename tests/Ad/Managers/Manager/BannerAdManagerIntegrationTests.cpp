// A banner ad manager against the local ad service: the real start-up, bid client, HTTP, decoding,
// auction and wrappers, with a scripted network registered by class name. It loads, fails on a
// 204 and refreshes on the ad unit's one-second interval.
#if !defined(SOLEN_HAVE_ADSERVER)
#include <gtest/gtest.h>
TEST(BannerAdManagerIntegrationTests, NeedsTheTools) { GTEST_SKIP() << "built without the tools"; }
#else

#include "Ad/Managers/Manager/BannerAdManager.h"
#include "Platform/Device/OperatingSystem.h"
#include "adserver/AdService.h"
#include "support/AdResponseBuilder.h"
#include "support/DispatchWait.h"
#include "support/RecordingAdManagerDelegate.h"
#include "support/ScopedUserDefaults.h"
#include "support/ScriptedNetwork.h"

#include <solen/Solen.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>

namespace solen {
namespace {

using namespace std::chrono_literals;
using Json = nlohmann::ordered_json;
using adserver::ServiceRequest;

// A fill with one line item of the scripted network whose trackers point back at the service.
Json fill(const std::string& lineItem) {
    test::AdResponseBuilder builder;
    builder.add(test::AdResponseBuilder::lineItem(lineItem, "e2e")).auctionTimeout(5000);
    std::string text = builder.build().encode().dump();
    const std::string captured = "http://" + std::string(test::AdResponseBuilder::captureHost);
    for (auto at = text.find(captured); at != std::string::npos; at = text.find(captured, at)) {
        text.replace(at, captured.size(), "${BASE_URL}");
    }
    return Json::parse(text);
}

TEST(BannerAdManagerIntegrationTests, LoadsFailsOnNoFillAndRefreshesAgainstTheLocalService) {
    test::ScopedUserDefaults defaults;
    adserver::Scenario scenario = adserver::Scenario::defaults();
    scenario.documents["primeMediation"].patch =
        Json{{"adapters", Json::array({Json{{"networkId", "e2e"},
                                            {"adapterName", "EndToEnd"},
                                            {"adapterMeta", Json::object()},
                                            {"headerBidder", false},
                                            {"timeout", 3000.0}}})},
             {"adUnits", Json::array({Json{{"adUnitId", "e2e-banner"}, {"refresh", 1000}}})}};
    scenario.bids["e2e-banner"] = {{200, fill("A"), {}}, {204, nullptr, {}}, {200, fill("B"), {}}};
    adserver::AdService service(scenario);
    ASSERT_TRUE(service.start());
    ::setenv("SOLEN_SERVICE_BASE_URL", service.baseUrl().c_str(), 1);
    platform::OperatingSystem::setVersionProvider([] { return std::string("17.0"); });
    test::ScriptedNetwork network("EndToEnd", {AdFormat::banner}, {}, SdkInitializedResult::success(true));

    std::atomic<int> initialised{-1};
    Solen::initialize(SolenSdkConfiguration("e2e-app", {}),
                      [&](std::optional<SolenSdkError> error) { initialised = error ? 1 : 0; });
    ASSERT_TRUE(test::waitUntil([&] { return initialised.load() >= 0; }, 10s));
    ASSERT_EQ(initialised.load(), 0) << service.timeline();

    const auto delegate = std::make_shared<test::RecordingAdManagerDelegate>();
    const auto manager = BannerAdManager::create(delegate);
    manager->setOnWindow(true);
    AdSetting setting;
    setting.adUnitId = "e2e-banner";
    setting.adSize = AdSetting::Size{320, 50};
    manager->loadAd(setting);
    ASSERT_TRUE(test::waitUntil([&] { return delegate->results().size() >= 3; }, 10s)) << service.timeline();
    EXPECT_THAT(delegate->results(),
                ::testing::ElementsAre("didFinishLoading", "didFail:" + std::to_string(AdError::noFill().code()),
                                       "didFinishLoading"));
    EXPECT_EQ(service.countOf(ServiceRequest::Kind::bid), 3u);
    EXPECT_TRUE(service.waitFor(
        [](const auto& requests) {
            int fills = 0;
            for (const auto& request : requests) {
                if (request.target.find("kind=adFill") != std::string::npos) ++fills;
            }
            return fills == 2;
        },
        10s))
        << service.timeline();
    EXPECT_THAT(network.calls("load"), ::testing::SizeIs(2));

    manager->setOnWindow(false);
    EXPECT_TRUE(test::drainGlobalQueue());
    service.stop();
    ::unsetenv("SOLEN_SERVICE_BASE_URL");
}

}  // namespace
}  // namespace solen

#endif
