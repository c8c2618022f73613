// Two public banners against the local ad service's built-in scenario with the example network:
// a waterfall that fills on its second line item and then refreshes every two seconds through a
// fill, a no fill and a fill, and a banner whose silent line item ends in an auction time-out;
// then faults of the service and of the adapters, and releases at each stage of a load.
#if !defined(SOLEN_HAVE_ADSERVER)
#include <gtest/gtest.h>
TEST(SolenBannerIntegrationTests, NeedsTheTools) { GTEST_SKIP() << "built without the tools"; }
#else

#include "Ad/Network/AdError.h"
#include "support/LocalAdServiceSdk.h"
#include "support/DispatchWait.h"
#include "support/ScopedApplication.h"
#include "support/ScopedUserDefaults.h"

#include <solen/Solen.h>
#include <solen/SolenBanner.h>
#include <solen/ui/Window.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

using Json = nlohmann::ordered_json;

// A waterfall line item of the example network, without trackers.
Json lineItem(const std::string& id, const char* behaviour, Json extra = Json::object()) {
    Json meta{{"behaviour", behaviour}, {"creativeId", "cr-" + id}};
    meta.update(extra);
    return Json{{"lineItemId", id}, {"networkId", "example-waterfall"}, {"lineItemMeta", meta}, {"s2s", false},
                {"timeout", 3000}, {"trackers", Json::object()}};
}

adserver::Answer bid(std::vector<Json> ads, std::int64_t auctionTimeout = 5000) {
    return adserver::Answer{200, Json{{"refreshConfig", false}, {"noAdFillEventUrl", "${BASE_URL}/track/nofill"}, {"auctionTimeout", auctionTimeout}, {"ads", ads}}, {}};
}

// How a fault case ends its banner: never, right after `load()`, while its adapter loads, or after
// its terminal callback.
enum class Release { never, afterLoadCall, duringAdapterLoad, afterTerminal };

struct FaultCase {
    std::string unit;
    std::vector<adserver::Answer> answers;
    Release release;
    std::string expected;  // the prefix of the one callback; empty: none
};

const std::vector<FaultCase>& faultCases() {
    static const std::vector<FaultCase> cases = [] {
        adserver::Answer slow = bid({lineItem("slow", "fill")});
        slow.delay = 300ms;
        adserver::Answer tooSlow = bid({lineItem("late", "fill")});
        tooSlow.delay = 5500ms;  // past the fetch time-out of 5 s
        adserver::Answer dropped = bid({lineItem("dropped", "fill")});
        dropped.drop = true;
        adserver::Answer beforeAnswer = bid({lineItem("early", "fill")});
        beforeAnswer.delay = 400ms;
        const Json twice{{"reportTwice", true}};
        return std::vector<FaultCase>{
            {"fault-slow", {slow}, Release::never, "didLoad:cr-slow"},
            {"fault-too-slow", {tooSlow}, Release::never, "didFail:"},
            {"fault-malformed", {{200, "{\"ads\": [", {}}}, Release::never, "didFail:"},
            {"fault-500", {{500, "down", {}}}, Release::never, "didFail:"},
            {"fault-dropped", {dropped}, Release::never, "didFail:"},
            {"fault-silent", {bid({lineItem("quiet", "silent")}, 500)}, Release::never, "didFail:"},
            {"fault-failing", {bid({lineItem("broken", "explode")})}, Release::never, "didFail:"},
            {"fault-fill-twice", {bid({lineItem("twice", "fill", twice)})}, Release::never, "didLoad:cr-twice"},
            {"fault-no-fill-twice", {bid({lineItem("empty", "noFill", twice), lineItem("next", "fill")})},
             Release::never, "didLoad:cr-next"},
            {"fault-release-early", {beforeAnswer}, Release::afterLoadCall, ""},
            {"fault-release-loading", {bid({lineItem("loading", "fill", {{"delayMs", 600}})})},
             Release::duringAdapterLoad, ""},
            {"fault-release-loaded", {bid({lineItem("loaded", "fill")})}, Release::afterTerminal, "didLoad:cr-loaded"},
        };
    }();
    return cases;
}

// One local service and one initialised SDK for the program: the built-in scenario, a unit whose
// answers fail in turn (a body that is not JSON, a 500, a line item whose adapter reports an
// error) and the fault cases.
adserver::AdService& service() {
    return test::adServiceSdkOnce(
        [] {
            adserver::Scenario scenario = adserver::Scenario::defaults();
            Json broken = scenario.bids["demo-timeout-banner"].front().body;
            broken["ads"][0]["lineItemMeta"]["behaviour"] = "explode";
            broken["auctionTimeout"] = 5000;
            scenario.bids["fault-banner"] = {{200, "{\"ads\": [", {}}, {500, "down", {}}, {200, broken, {}}};
            for (const FaultCase& fault : faultCases()) scenario.bids[fault.unit] = fault.answers;
            return scenario;
        },
        "banner-app");
}

TEST(SolenBannerIntegrationTests, BannersLoadRefreshAndFailAgainstTheLocalService) {
    test::ScopedUserDefaults defaults;
    test::ScopedApplication application;
    adserver::AdService& service = solen::service();
    ASSERT_TRUE(service.isRunning());
    ASSERT_EQ(Solen::isInitialized(), true) << service.timeline();

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
}

// Every accepted load ends in exactly one terminal callback, never a second, whatever the service
// or the adapter does; a banner released at any stage calls nobody from then on.
TEST(SolenBannerIntegrationTests, EachLoadEndsInOneCallbackWhateverFails) {
    test::ScopedUserDefaults defaults;
    test::ScopedApplication application;
    adserver::AdService& service = solen::service();
    ASSERT_TRUE(service.isRunning());
    const auto bidsFor = [&](const std::string& unit) {
        std::size_t count = 0;
        for (const auto& request : service.requests()) {
            count += request.kind == adserver::ServiceRequest::Kind::bid && request.summary.find("adUnit=" + unit + " ") == 0;
        }
        return count;
    };
    const auto pause = [](std::chrono::milliseconds time) { test::waitUntil([] { return false; }, time); };
    for (const FaultCase& fault : faultCases()) {
        SCOPED_TRACE(fault.unit);
        const auto delegate = std::make_shared<TimelineDelegate>();
        auto banner = SolenBanner::create(fault.unit, {320, 50}, delegate);
        banner->load();
        if (fault.release == Release::afterLoadCall) banner.reset();
        if (fault.release == Release::duringAdapterLoad) {
            ASSERT_TRUE(test::waitUntil([&] { return bidsFor(fault.unit) == 1; }, 10s)) << service.timeline();
            pause(200ms);
            banner.reset();
        }
        if (!fault.expected.empty()) {
            ASSERT_TRUE(test::waitUntil([&] { return !delegate->events.empty(); }, 10s)) << service.timeline();
        }
        if (fault.release == Release::afterTerminal) banner.reset();
        // Late answers, second reports and released loads have had their time to show.
        pause(1000ms);
        EXPECT_TRUE(test::settle());
        ASSERT_EQ(delegate->events.size(), fault.expected.empty() ? 0u : 1u) << service.timeline();
        if (!fault.expected.empty()) {
            EXPECT_EQ(delegate->events.front().rfind(fault.expected, 0), 0u) << delegate->events.front();
        }
        // A banner released at once may end its load before the bid request leaves.
        if (fault.release == Release::afterLoadCall) {
            EXPECT_LE(bidsFor(fault.unit), 1u);
        } else {
            EXPECT_EQ(bidsFor(fault.unit), 1u);
        }
    }
}

}  // namespace
}  // namespace solen

#endif
