// Two public banners against the local ad service's built-in scenario with the example network:
// a waterfall that fills on its second line item and then refreshes every two seconds through a
// fill, a no fill and a fill, and a banner whose silent line item ends in an auction time-out.
#if !defined(SOLEN_HAVE_ADSERVER)
#include <gtest/gtest.h>
TEST(SolenBannerIntegrationTests, NeedsTheTools) { GTEST_SKIP() << "built without the tools"; }
#else

#include "Ad/Network/AdError.h"
#include "Platform/Device/OperatingSystem.h"
#include "adserver/AdService.h"
#include "support/DispatchWait.h"
#include "support/ScopedApplication.h"
#include "support/ScopedUserDefaults.h"

#include <solen/Solen.h>
#include <solen/SolenBanner.h>
#include <solen/ui/Window.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>

namespace solen {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

// Each callback with the creative id of the banner's ad view, or the error code.
class TimelineDelegate final : public SolenBannerDelegate {
public:
    std::shared_ptr<platform::ViewController> viewControllerForSolenBannerFullScreen() override { return nullptr; }
    void solenBannerDidLoad(SolenBanner& banner) override {
        const auto views = banner.subviews();
        events.push_back("didLoad:" + (views.size() == 1 ? views.front()->accessibilityLabel() : std::string("?")));
    }
    void solenBannerDidFailToLoad(SolenBanner&, const platform::Error& error) override {
        events.push_back("didFail:" + std::to_string(error.code));
    }
    std::vector<std::string> events;
};

TEST(SolenBannerIntegrationTests, BannersLoadRefreshAndFailAgainstTheLocalService) {
    test::ScopedUserDefaults defaults;
    test::ScopedApplication application;
    // A unit whose answers fail in turn: a body that is not JSON, a 500, a line item whose adapter
    // reports an error.
    adserver::Scenario scenario = adserver::Scenario::defaults();
    nlohmann::ordered_json broken = scenario.bids["demo-timeout-banner"].front().body;
    broken["ads"][0]["lineItemMeta"]["behaviour"] = "explode";
    broken["auctionTimeout"] = 5000;
    scenario.bids["fault-banner"] = {{200, "{\"ads\": [", {}}, {500, "down", {}}, {200, broken, {}}};
    adserver::AdService service(scenario);
    ASSERT_TRUE(service.start());
    ::setenv("SOLEN_SERVICE_BASE_URL", service.baseUrl().c_str(), 1);
    platform::OperatingSystem::setVersionProvider([] { return std::string("17.0"); });
    std::atomic<int> initialised{-1};
    Solen::initialize(SolenSdkConfiguration("banner-app", {}),
                      [&](std::optional<SolenSdkError> error) { initialised = error ? 1 : 0; });
    ASSERT_TRUE(test::waitUntil([&] { return initialised.load() >= 0; }, 10s));
    ASSERT_EQ(initialised.load(), 0) << service.timeline();

    const auto waterfall = std::make_shared<TimelineDelegate>();
    const auto timeout = std::make_shared<TimelineDelegate>();
    auto refreshing = SolenBanner::create("demo-waterfall-banner", {320, 50}, waterfall);
    auto failing = SolenBanner::create("demo-timeout-banner", {320, 50}, timeout);
    const auto window = application.showKeyWindow();
    window->addSubview(refreshing);
    window->addSubview(failing);
    refreshing->load();
    failing->load();
    ASSERT_TRUE(test::waitUntil([&] { return waterfall->events.size() >= 4 && !timeout->events.empty(); }, 20s))
        << service.timeline();
    EXPECT_THAT(waterfall->events, ElementsAre("didLoad:cr-wf-2", "didLoad:cr-wf-3",
                                               "didFail:" + std::to_string(AdError::noFill().code()),
                                               "didLoad:cr-wf-4"));
    EXPECT_THAT(timeout->events, ElementsAre("didFail:" + std::to_string(AdError::auctionTimeout().code())));
    EXPECT_TRUE(service.waitFor(
        [](const auto& requests) {
            std::vector<std::string> hits;
            for (const auto& request : requests) {
                if (request.path.rfind("/track/", 0) == 0) hits.push_back(request.target);
            }
            const auto has = [&](const std::string& target) {
                return std::find(hits.begin(), hits.end(), target) != hits.end();
            };
            return has("/track/nofill?li=wf-1") && has("/track/fill?li=wf-2") && has("/track/fill?li=wf-4") &&
                   has("/track/nofill?unit=demo-timeout-banner");
        },
        10s))
        << service.timeline();

    // Faults and bad input: each load ends in exactly one failure, in order.
    const auto faults = std::make_shared<TimelineDelegate>();
    const auto expectNext = [&](const std::shared_ptr<SolenBanner>& banner, std::int64_t code) {
        const std::size_t before = faults->events.size();
        banner->load();
        ASSERT_TRUE(test::waitUntil([&] { return faults->events.size() > before; }, 10s)) << service.timeline();
        EXPECT_TRUE(test::settle());
        ASSERT_EQ(faults->events.size(), before + 1);
        EXPECT_EQ(faults->events.back(), "didFail:" + std::to_string(code));
    };
    const auto faulty = SolenBanner::create("fault-banner", {320, 50}, faults);
    for (const std::int64_t code : {AdError::serverError(0, "").code(), AdError::serverError(0, "").code(),
                                    AdError::auctionNoFill().code()}) {
        expectNext(faulty, code);
    }
    const auto unnamed = SolenBanner::create({0, 0, 320, 50});
    unnamed->setDelegate(faults);
    expectNext(unnamed, AdError::invalidAdUnit().code());
    expectNext(SolenBanner::create("fault-banner", {320, 0}, faults), AdError::invalidAdSize().code());

    // Released banners call nobody.
    refreshing->removeFromSuperview();
    refreshing.reset();
    failing.reset();
    EXPECT_TRUE(test::settle());
    EXPECT_EQ(waterfall->events.size(), 4u);
    service.stop();
    ::unsetenv("SOLEN_SERVICE_BASE_URL");
}

}  // namespace
}  // namespace solen

#endif
