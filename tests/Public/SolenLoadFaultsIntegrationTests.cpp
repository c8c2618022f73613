// Loads of every format against the local ad service and the example network while the service
// and the network fail in every way they can, and while the host releases some of the ads as they
// load. Network adapters that block in `load()` hold no time-out of the SDK back; every load ends
// in exactly one terminal callback (none for an ad released first); a load whose bid answer came
// at once never ends at the fetch time-out; and every line item whose network was asked for an ad
// ends with exactly one outcome tracker.
#if !defined(SOLEN_HAVE_ADSERVER)
#include <gtest/gtest.h>
TEST(SolenLoadFaultsIntegrationTests, NeedsTheTools) { GTEST_SKIP() << "built without the tools"; }
#else

#include "Ad/Network/AdError.h"
#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Dispatch/MainLoop.h"
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
#include <condition_variable>
#include <map>
#include <mutex>
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

// The line-item trackers followed here, each at "/track/<kind>".
constexpr const char* lineItemTrackers[] = {"networkLoad", "networkFill", "networkNoFill", "bidLoss"};

// A line item of the example network scripted through its settings. Its trackers name their load
// (the bid request's id) and carry the drop reason.
Json lineItem(const std::string& id, const char* behaviour, Json extra = Json::object(), std::int64_t timeout = 3000) {
    Json meta{{"behaviour", behaviour}, {"creativeId", "cr-" + id}};
    meta.update(extra);
    Json trackers = Json::object();
    for (const char* kind : lineItemTrackers) {
        trackers[kind] = Json::array({"${BASE_URL}/track/" + std::string(kind) + "?li=" + id + "&rid=${REQUEST_ID}&d=$DROP_REASON"});
    }
    return Json{{"lineItemId", id}, {"networkId", "example-waterfall"}, {"lineItemMeta", meta}, {"s2s", false},
                {"timeout", timeout}, {"trackers", trackers}};
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

// The line items whose network reports its outcome twice: their trackers fire twice, as a
// network's callbacks are not gated.
const std::set<std::string> reportedTwice = {"twice", "none"};

// A banner unit whose one line item blocks its adapter's `load()` for 4 s under a 500 ms auction.
constexpr const char* blockingUnit = "blocking-banner";

enum class Format { banner, interstitial, rewarded, native, splash };
constexpr Format formats[] = {Format::banner, Format::interstitial, Format::rewarded, Format::native, Format::splash};

// The loads of the chaos test: every fault in every format (the format moves on after each pass
// over the faults), and every third load released by the host while it loads, from an ad unit
// of its own so that its requests can be told apart.
struct PlannedLoad {
    const Fault* fault;
    Format format;
    bool released;
    std::string unit;
};
constexpr std::size_t kLoads = 540;
const std::vector<PlannedLoad>& plan() {
    static const std::vector<PlannedLoad> loads = [] {
        std::vector<PlannedLoad> made;
        for (std::size_t i = 0; i < kLoads; ++i) {
            const Fault& fault = faults()[i % faults().size()];
            const Format format = formats[(i / faults().size()) % std::size(formats)];
            const bool released = (i + i / faults().size()) % 3 == 2;  // each fault in a third of its passes
            made.push_back({&fault, format, released,
                            released ? "faults-released-" + std::to_string(i) : unitOf(fault, format == Format::rewarded)});
        }
        return made;
    }();
    return loads;
}

adserver::AdService& service() {
    return test::adServiceSdkOnce(
        [] {
            adserver::Scenario scenario = adserver::Scenario::defaults();
            scenario.documents["primeAds"].patch = Json{{"fetchTimeout", fetchTimeoutMs}};
            const auto answerFor = [](const Fault& fault, bool rewarded) {
                adserver::Answer made = fault.bid;
                if (rewarded && made.body.is_object() && made.body.contains("ads")) made.body["rewardedVideo"] = true;
                return made;
            };
            for (const Fault& fault : faults()) {
                scenario.bids[unitOf(fault, false)] = {answerFor(fault, false)};
                scenario.bids[unitOf(fault, true)] = {answerFor(fault, true)};
            }
            for (const PlannedLoad& load : plan()) {
                if (load.released) scenario.bids[load.unit] = {answerFor(*load.fault, load.format == Format::rewarded)};
            }
            scenario.bids[blockingUnit] = {answer(bidBody({lineItem("held", "fill", {{"delayMs", 4000}}, 5000)}, 500))};
            return scenario;
        },
        "faults-app");
}

// The value of `key` in the query of a request target ("/track/networkLoad?li=a&rid=b"), or "".
std::string queryValue(const std::string& target, const std::string& key) {
    const auto query = target.find('?');
    if (query == std::string::npos) return {};
    std::istringstream pairs(target.substr(query + 1));
    for (std::string pair; std::getline(pairs, pair, '&');) {
        if (pair.compare(0, key.size() + 1, key + "=") == 0) return pair.substr(key.size() + 1);
    }
    return {};
}

// What the service receives of bid requests and line-item trackers while the ledger listens: per
// load (its bid request's id) and line item, the tracker hits by kind. Filled on the service's
// threads, read on the test's.
class TrackerLedger {
public:
    using Key = std::pair<std::string, std::string>;  // the load's request id, the line item
    using Hits = std::map<std::string, int>;          // tracker kind -> hits

    explicit TrackerLedger(adserver::AdService& service) : service_(service) {
        service_.setObserver([state = state_](const adserver::ServiceRequest& request) { state->record(request); });
    }
    ~TrackerLedger() { service_.setObserver(nullptr); }
    TrackerLedger(const TrackerLedger&) = delete;
    TrackerLedger& operator=(const TrackerLedger&) = delete;

    // Waits until `unit`'s bid request was answered and a network-load tracker of that load came
    // (false after `timeout`).
    bool waitForNetworkLoad(const std::string& unit, std::chrono::milliseconds timeout) const {
        std::unique_lock lock(state_->mutex);
        return state_->changed.wait_for(lock, timeout, [&] {
            const auto rid = state_->ridOfUnit.find(unit);
            return rid != state_->ridOfUnit.end() && state_->loaded.contains(rid->second);
        });
    }
    // The hits of the loads whose bid request came while listening.
    std::map<Key, Hits> hits() const {
        std::lock_guard lock(state_->mutex);
        std::map<Key, Hits> ours;
        for (const auto& [key, hits] : state_->hits) {
            if (state_->rids.contains(key.first)) ours.emplace(key, hits);
        }
        return ours;
    }
    // How many no-fill trackers of those loads carried `dropReason`.
    int noFills(const std::string& dropReason) const {
        std::lock_guard lock(state_->mutex);
        return state_->noFillReasons.count(dropReason) ? state_->noFillReasons.at(dropReason) : 0;
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        std::map<std::string, std::string> ridOfUnit;  // the latest bid request of each unit
        std::set<std::string> rids;
        std::set<std::string> loaded;  // requests with a network-load tracker
        std::map<Key, Hits> hits;
        std::map<std::string, int> noFillReasons;

        void record(const adserver::ServiceRequest& request) {
            {
                std::lock_guard lock(mutex);
                if (request.kind == adserver::ServiceRequest::Kind::bid) {
                    // "adUnit=<unit> rid=<rid>[ dropped]"
                    std::istringstream words(request.summary);
                    std::string unit;
                    std::string rid;
                    words >> unit >> rid;
                    if (unit.rfind("adUnit=", 0) == 0 && rid.rfind("rid=", 0) == 0) {
                        ridOfUnit[unit.substr(7)] = rid.substr(4);
                        rids.insert(rid.substr(4));
                    }
                } else if (request.path.rfind("/track/", 0) == 0 && !queryValue(request.target, "li").empty()) {
                    const std::string kind = request.path.substr(7);
                    const std::string rid = queryValue(request.target, "rid");
                    ++hits[{rid, queryValue(request.target, "li")}][kind];
                    if (kind == "networkLoad") loaded.insert(rid);
                    if (kind == "networkNoFill") ++noFillReasons[queryValue(request.target, "d")];
                } else {
                    return;
                }
            }
            changed.notify_all();
        }
    };

    adserver::AdService& service_;
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

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
    const auto ledger = std::make_shared<TrackerLedger>(service);

    struct Load {
        const PlannedLoad* planned;
        std::shared_ptr<LoadRecorder> recorder;
        std::shared_ptr<void> ad;  // kept to the end, unless released: late reports have every chance to arrive
        bool released = false;
    };
    constexpr std::size_t kWave = 45;  // loads under way at once
    // Shared with the releases still on their way, should the test end early.
    const auto loads = std::make_shared<std::vector<Load>>();
    loads->reserve(kLoads);
    for (std::size_t wave = 0; wave * kWave < kLoads; ++wave) {
        const std::size_t first = loads->size();
        for (std::size_t i = first; i < std::min(first + kWave, kLoads); ++i) {
            const PlannedLoad& planned = plan()[i];
            auto recorder = std::make_shared<LoadRecorder>();
            auto ad = startLoad(planned.format, planned.unit, recorder);
            loads->push_back(Load{&planned, std::move(recorder), std::move(ad)});
            if (!planned.released) continue;
            // Released 0-40 ms after its load started, by a host whose main thread is busy for
            // a frame first: until the load's network was asked, or 20 ms at most.
            platform::DispatchQueue::global()->asyncAfter(std::chrono::milliseconds((i * 7) % 41), [loads, ledger, i] {
                platform::MainLoop::shared().async([loads, ledger, i] {
                    Load& load = (*loads)[i];
                    ledger->waitForNetworkLoad(load.planned->unit, 20ms);
                    load.ad.reset();
                    load.released = true;
                });
            });
        }
        const bool ended = test::waitUntil(
            [&] {
                return std::all_of(loads->begin() + static_cast<std::ptrdiff_t>(first), loads->end(), [](const Load& load) {
                    return load.planned->released ? load.released : !load.recorder->outcomes.empty();
                });
            },
            20s);
        ASSERT_TRUE(ended) << "wave " << wave << " did not end";
    }
    // The last blocking adapters return and the twice-reporting ones have reported again.
    test::waitUntil([] { return false; }, 1700ms);
    EXPECT_TRUE(test::settle());

    std::map<std::string, std::map<std::int64_t, int>> seen;  // fault -> code -> loads
    std::ostringstream problems;
    for (const Load& load : *loads) {
        const Fault& fault = *load.planned->fault;
        const auto& outcomes = load.recorder->outcomes;
        const std::string what = std::string(nameOf(load.planned->format)) + " " + fault.name;
        // An ad released before its load ended hears nothing.
        if (outcomes.size() != 1 && !(load.planned->released && outcomes.empty())) {
            problems << what << ": " << outcomes.size() << " callbacks\n";
            continue;
        }
        if (outcomes.empty()) continue;
        ++seen[fault.name][outcomes.front()];
        if (!fault.expected.contains(outcomes.front())) {
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(load.recorder->after.front()).count();
            problems << what << ": code " << outcomes.front() << " after " << ms << " ms\n";
        }
        if (fault.answeredAtOnce && outcomes.front() == AdError::fetchTimeOut().code()) {
            problems << what << ": fetch time-out although the answer came at once\n";
        }
    }
    // How close the slowest load with an answer at once came to the fetch time-out (for the record).
    Clock::duration slowest{};
    for (const Load& load : *loads) {
        if (load.planned->fault->answeredAtOnce && !load.recorder->after.empty()) {
            slowest = std::max(slowest, load.recorder->after.front());
        }
    }
    RecordProperty("slowestAnsweredAtOnceMs",
                   static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(slowest).count()));
    EXPECT_EQ(loads->size(), kLoads);
    EXPECT_TRUE(problems.str().empty()) << problems.str();
    for (const Fault& fault : faults()) EXPECT_FALSE(seen[fault.name].empty()) << fault.name;

    // Every line item whose network-load tracker was sent ends with exactly one outcome, a fill or
    // a no-fill (which comes with its bid loss), released ads included. The outcome trackers leave
    // after the callbacks: they are waited for.
    const auto count = [](const TrackerLedger::Hits& hits, const char* kind) {
        const auto it = hits.find(kind);
        return it == hits.end() ? 0 : it->second;
    };
    const auto outcomesOf = [&](const TrackerLedger::Hits& hits) {
        return count(hits, "networkFill") + count(hits, "networkNoFill");
    };
    test::waitUntil(
        [&] {
            const auto all = ledger->hits();
            return std::all_of(all.begin(), all.end(), [&](const auto& entry) {
                return count(entry.second, "networkLoad") == 0 || outcomesOf(entry.second) > 0;
            });
        },
        10s);
    std::ostringstream unpaired;
    int tried = 0;
    int twice = 0;
    for (const auto& [key, hits] : ledger->hits()) {
        const auto& [rid, lineItemId] = key;
        const std::string what = lineItemId + " of load " + rid;
        const int outcomes = outcomesOf(hits);
        if (count(hits, "networkLoad") == 0) {
            if (outcomes > 0) unpaired << what << ": an outcome without a network load\n";
            continue;
        }
        ++tried;
        if (count(hits, "networkLoad") != 1) unpaired << what << ": " << count(hits, "networkLoad") << " network loads\n";
        if (reportedTwice.contains(lineItemId)) {
            ++twice;  // counted apart: its network reports twice
            if (outcomes < 1) unpaired << what << ": no outcome\n";
            continue;
        }
        if (outcomes != 1) {
            unpaired << what << ": " << count(hits, "networkFill") << " fills and " << count(hits, "networkNoFill")
                     << " no-fills\n";
        } else if (count(hits, "bidLoss") != count(hits, "networkNoFill")) {
            unpaired << what << ": " << count(hits, "bidLoss") << " bid losses\n";
        }
    }
    RecordProperty("triedLineItems", tried);
    RecordProperty("reportedTwiceLineItems", twice);
    RecordProperty("closedAsDeallocated", ledger->noFills("ObjectDeallocated"));
    EXPECT_GT(tried, 0);
    EXPECT_TRUE(unpaired.str().empty()) << unpaired.str();
}

}  // namespace
}  // namespace solen

#endif
