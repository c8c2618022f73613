// Loads of every format against the local ad service and the example network while the service
// and the network fail in every way they can. Network adapters that block in `load()` hold no
// time-out of the SDK back; every load ends in exactly one terminal callback; a load whose bid
// answer came at once never ends at the fetch time-out.
#if !defined(SOLEN_HAVE_ADSERVER)
#include <gtest/gtest.h>
TEST(SolenLoadFaultsIntegrationTests, NeedsTheTools) { GTEST_SKIP() << "built without the tools"; }
#else

#include "Ad/Network/AdError.h"
#include "support/DispatchWait.h"
#include "support/LocalAdServiceSdk.h"
#include "support/ScopedApplication.h"
#include "support/ScopedUserDefaults.h"

#include <solen/SolenBanner.h>
#include <solen/SolenInterstitial.h>
#include <solen/SolenNative.h>
#include <solen/SolenSplash.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

namespace solen {
namespace {

using namespace std::chrono_literals;
using Json = nlohmann::ordered_json;
using Clock = std::chrono::steady_clock;

// The fetch time-out of the ad-format document, as in the field.
constexpr double fetchTimeoutMs = 2000;

// The terminal callbacks of one load, whatever its format: 0 for a fill, else the error's code.
class LoadRecorder final : public SolenBannerDelegate,
                           public SolenInterstitialDelegate,
                           public SolenNativeDelegate,
                           public SolenSplashDelegate {
public:
    std::shared_ptr<platform::ViewController> viewControllerForSolenBannerFullScreen() override { return nullptr; }
    std::shared_ptr<platform::ViewController> viewControllerForSolenFullScreen() override { return nullptr; }
    void solenBannerDidLoad(SolenBanner&) override { ended(0); }
    void solenBannerDidFailToLoad(SolenBanner&, const platform::Error& error) override { ended(error.code); }
    void solenInterstitialDidLoad(SolenInterstitial&) override { ended(0); }
    void solenInterstitialDidFailToLoad(SolenInterstitial&, const platform::Error& error) override { ended(error.code); }
    void solenNativeDidLoad(SolenNative&) override { ended(0); }
    void solenNativeDidLoadFail(SolenNative&, const platform::Error& error) override { ended(error.code); }
    void solenSplashDidLoad(SolenSplash&) override { ended(0); }
    void solenSplashDidLoadFail(SolenSplash&, const platform::Error& error) override { ended(error.code); }

    Clock::time_point startedAt = Clock::now();
    std::vector<std::int64_t> outcomes;
    std::vector<Clock::duration> after;

private:
    void ended(std::int64_t code) {
        outcomes.push_back(code);
        after.push_back(Clock::now() - startedAt);
    }
};

// A line item of the example network scripted through its settings.
Json lineItem(const std::string& id, const char* behaviour, Json extra = Json::object(), std::int64_t timeout = 3000) {
    Json meta{{"behaviour", behaviour}, {"creativeId", "cr-" + id}};
    meta.update(extra);
    return Json{{"lineItemId", id}, {"networkId", "example-waterfall"}, {"lineItemMeta", meta}, {"s2s", false},
                {"timeout", timeout}, {"trackers", {{"networkNoFill", {"${BASE_URL}/track/nofill?li=" + id}}}}};
}

Json bidBody(std::vector<Json> ads, std::int64_t auctionTimeout = 5000) {
    return Json{{"refreshConfig", false}, {"noAdFillEventUrl", "${BASE_URL}/track/nofill"},
                {"auctionTimeout", auctionTimeout}, {"ads", std::move(ads)}};
}

adserver::Answer answer(Json body, std::chrono::milliseconds delay = 0ms, int status = 200) {
    adserver::Answer made{status, std::move(body), delay};
    return made;
}

// One way a load can go, with the codes its one callback may carry.
struct Fault {
    std::string name;
    adserver::Answer bid;
    std::set<std::int64_t> expected;
    bool answeredAtOnce = true;
};

const std::vector<Fault>& faults() {
    static const std::vector<Fault> all = [] {
        const std::int64_t loaded = 0;
        const std::int64_t noFill = AdError::noFill().code();
        const std::int64_t auctionNoFill = AdError::auctionNoFill().code();
        const std::int64_t auctionTimeout = AdError::auctionTimeout().code();
        const std::int64_t serverError = AdError::serverError(0, "").code();
        adserver::Answer dropped = answer(bidBody({lineItem("dropped", "fill")}));
        dropped.drop = true;
        return std::vector<Fault>{
            {"fill", answer(bidBody({lineItem("fill", "fill")})), {loaded}},
            {"slow-adapter", answer(bidBody({lineItem("slow", "fill", {{"delayMs", 150}})})), {loaded}},
            {"reported-twice", answer(bidBody({lineItem("twice", "fill", {{"reportTwice", true}})})), {loaded}},
            {"waterfall", answer(bidBody({lineItem("empty", "noFill"), lineItem("next", "fill")})), {loaded}},
            {"adapter-no-fill", answer(bidBody({lineItem("none", "noFill", {{"reportTwice", true}})})),
             {auctionNoFill}},
            {"adapter-error", answer(bidBody({lineItem("broken", "explode")})), {auctionNoFill}},
            {"silent-line-item", answer(bidBody({lineItem("quiet", "silent", Json::object(), 300)})), {auctionNoFill}},
            {"silent-auction", answer(bidBody({lineItem("mute", "silent")}, 300)), {auctionTimeout}},
            {"blocking-adapter", answer(bidBody({lineItem("block", "fill", {{"delayMs", 1500}})}, 300)),
             {auctionTimeout}},
            {"no-line-items", answer(bidBody({})), {auctionNoFill}},
            {"no-fill", answer(nullptr, 0ms, 204), {noFill}},
            {"server-error", answer("down", 0ms, 500), {serverError}},
            {"malformed", answer("{\"ads\": [", 0ms), {serverError}},
            {"empty", answer("", 0ms), {serverError}},
            {"wrong-types", answer(Json{{"ads", "none"}, {"auctionTimeout", "soon"}}), {serverError}},
            {"oversized", answer(std::string((std::size_t{4} << 20) + 1024, ' ')), {serverError}},
            {"dropped", dropped, {serverError}},
            // Past the fetch time-out: the fetch timer or the request's own time-out ends it.
            {"too-slow", answer(bidBody({lineItem("late", "fill")}), 2300ms),
             {AdError::fetchTimeOut().code(), serverError}, false},
        };
    }();
    return all;
}

// The unit of a fault, for the rewarded format or another one.
std::string unitOf(const Fault& fault, bool rewarded) { return "faults-" + fault.name + (rewarded ? "-rewarded" : ""); }

// A banner unit whose one line item blocks its adapter's `load()` for 4 s under a 500 ms auction.
constexpr const char* blockingUnit = "blocking-banner";

adserver::AdService& service() {
    return test::adServiceSdkOnce(
        [] {
            adserver::Scenario scenario = adserver::Scenario::defaults();
            scenario.documents["primeAds"].patch = Json{{"fetchTimeout", fetchTimeoutMs}};
            for (const Fault& fault : faults()) {
                scenario.bids[unitOf(fault, false)] = {fault.bid};
                adserver::Answer rewarded = fault.bid;
                if (rewarded.body.is_object() && rewarded.body.contains("ads")) rewarded.body["rewardedVideo"] = true;
                scenario.bids[unitOf(fault, true)] = {rewarded};
            }
            scenario.bids[blockingUnit] = {answer(bidBody({lineItem("held", "fill", {{"delayMs", 4000}}, 5000)}, 500))};
            return scenario;
        },
        "faults-app");
}

enum class Format { banner, interstitial, rewarded, native, splash };
constexpr Format formats[] = {Format::banner, Format::interstitial, Format::rewarded, Format::native, Format::splash};

const char* nameOf(Format format) {
    switch (format) {
        case Format::banner: return "banner";
        case Format::interstitial: return "interstitial";
        case Format::rewarded: return "rewarded";
        case Format::native: return "native";
        case Format::splash: return "splash";
    }
    return "?";
}

// Starts a load of `unit` in `format`; the ad object is returned to be kept.
std::shared_ptr<void> startLoad(Format format, const std::string& unit, const std::shared_ptr<LoadRecorder>& recorder) {
    switch (format) {
        case Format::banner: {
            auto ad = SolenBanner::create(unit, {320, 50}, recorder);
            ad->load();
            return ad;
        }
        case Format::interstitial:
        case Format::rewarded: {
            auto ad = SolenInterstitial::create(unit, recorder);
            ad->load();
            return ad;
        }
        case Format::native: {
            auto ad = SolenNative::create(unit, {300, 250}, recorder);
            ad->load();
            return ad;
        }
        case Format::splash: {
            auto ad = SolenSplash::create(unit, {320, 480}, recorder);
            ad->load();
            return ad;
        }
    }
    return nullptr;
}

TEST(SolenLoadFaultsIntegrationTests, AdaptersBlockingInLoadHoldNoTimeOutBack) {
    test::ScopedUserDefaults defaults;
    test::ScopedApplication application;
    adserver::AdService& service = solen::service();
    ASSERT_TRUE(Solen::isInitialized()) << service.timeline();

    // More banners than the global queue has threads, each with an adapter that blocks its thread
    // for 4 s: every auction still times out at its 500 ms, far from the 4 s.
    std::vector<std::shared_ptr<LoadRecorder>> recorders;
    std::vector<std::shared_ptr<void>> ads;
    const auto started = Clock::now();
    for (int i = 0; i < 16; ++i) {
        recorders.push_back(std::make_shared<LoadRecorder>());
        ads.push_back(startLoad(Format::banner, blockingUnit, recorders.back()));
    }
    const auto allEnded = [&] {
        return std::all_of(recorders.begin(), recorders.end(), [](const auto& r) { return !r->outcomes.empty(); });
    };
    EXPECT_TRUE(test::waitUntil(allEnded, 2500ms)) << service.timeline();
    for (const auto& recorder : recorders) {
        ASSERT_FALSE(recorder->outcomes.empty());
        EXPECT_EQ(recorder->outcomes.front(), AdError::auctionTimeout().code());
    }

    // Once the adapters return (and report their fills), nobody hears a second time.
    test::waitUntil([] { return false; }, std::chrono::duration_cast<std::chrono::milliseconds>(started + 4500ms - Clock::now()));
    EXPECT_TRUE(test::settle());
    for (const auto& recorder : recorders) EXPECT_EQ(recorder->outcomes.size(), 1u);
}

TEST(SolenLoadFaultsIntegrationTests, EveryLoadEndsInOneCallbackWhateverFails) {
    test::ScopedUserDefaults defaults;
    test::ScopedApplication application;
    adserver::AdService& service = solen::service();
    ASSERT_TRUE(Solen::isInitialized()) << service.timeline();

    struct Load {
        Format format;
        const Fault* fault;
        std::shared_ptr<LoadRecorder> recorder;
        std::shared_ptr<void> ad;  // kept to the end: late reports have every chance to arrive
    };
    constexpr std::size_t kLoads = 540;
    constexpr std::size_t kWave = 45;  // loads under way at once
    const std::size_t faultCount = faults().size();
    std::vector<Load> loads;
    loads.reserve(kLoads);
    for (std::size_t wave = 0; wave * kWave < kLoads; ++wave) {
        const std::size_t first = loads.size();
        for (std::size_t i = first; i < std::min(first + kWave, kLoads); ++i) {
            // Every fault in every format: the format moves on after each pass over the faults.
            const Fault& fault = faults()[i % faultCount];
            const Format format = formats[(i / faultCount) % std::size(formats)];
            auto recorder = std::make_shared<LoadRecorder>();
            auto ad = startLoad(format, unitOf(fault, format == Format::rewarded), recorder);
            loads.push_back(Load{format, &fault, std::move(recorder), std::move(ad)});
        }
        const bool ended = test::waitUntil(
            [&] {
                return std::all_of(loads.begin() + static_cast<std::ptrdiff_t>(first), loads.end(),
                                   [](const Load& load) { return !load.recorder->outcomes.empty(); });
            },
            20s);
        ASSERT_TRUE(ended) << "wave " << wave << " did not end";
    }
    // The last blocking adapters return and the twice-reporting ones have reported again.
    test::waitUntil([] { return false; }, 1700ms);
    EXPECT_TRUE(test::settle());

    std::map<std::string, std::map<std::int64_t, int>> seen;  // fault -> code -> loads
    std::ostringstream problems;
    for (const Load& load : loads) {
        const auto& outcomes = load.recorder->outcomes;
        const std::string what = std::string(nameOf(load.format)) + " " + load.fault->name;
        if (outcomes.size() != 1) {
            problems << what << ": " << outcomes.size() << " callbacks\n";
            continue;
        }
        ++seen[load.fault->name][outcomes.front()];
        if (!load.fault->expected.contains(outcomes.front())) {
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(load.recorder->after.front()).count();
            problems << what << ": code " << outcomes.front() << " after " << ms << " ms\n";
        }
        if (load.fault->answeredAtOnce && outcomes.front() == AdError::fetchTimeOut().code()) {
            problems << what << ": fetch time-out although the answer came at once\n";
        }
    }
    // How close the slowest load with an answer at once came to the fetch time-out (for the record).
    Clock::duration slowest{};
    for (const Load& load : loads) {
        if (load.fault->answeredAtOnce && !load.recorder->after.empty()) {
            slowest = std::max(slowest, load.recorder->after.front());
        }
    }
    RecordProperty("slowestAnsweredAtOnceMs",
                   static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(slowest).count()));
    EXPECT_EQ(loads.size(), kLoads);
    EXPECT_TRUE(problems.str().empty()) << problems.str();
    for (const Fault& fault : faults()) EXPECT_FALSE(seen[fault.name].empty()) << fault.name;
}

}  // namespace
}  // namespace solen

#endif
