#include "Ad/RenderEngine/Vast/Parser/VastClient.h"
#include "Ad/RenderEngine/Vast/Parser/VastParser.h"
#include "Ad/RenderEngine/Vast/Parser/VastTracker.h"

#include "support/DispatchWait.h"
#include "support/MainLoopPump.h"
#include "support/ScopedManualClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace solen {
namespace {

using namespace std::chrono_literals;
using platform::Clock;
using platform::URL;

// Serves documents by address from memory; an address can be held until the test releases it.
class FakeFetcher final : public VastDocumentFetcher {
public:
    void serve(const std::string& url, std::string body) {
        std::lock_guard lock(mutex_);
        documents_[url] = std::move(body);
    }
    void hold(const std::string& url) {
        std::lock_guard lock(mutex_);
        held_.push_back(url);
    }
    void release() {
        std::lock_guard lock(mutex_);
        held_.clear();
        changed_.notify_all();
    }
    std::vector<std::string> fetched() const {
        std::lock_guard lock(mutex_);
        return fetched_;
    }
    std::vector<Clock::Duration> timeouts() const {
        std::lock_guard lock(mutex_);
        return timeouts_;
    }

    std::optional<std::string> fetch(const URL& url, Clock::Duration timeout) override {
        std::unique_lock lock(mutex_);
        const std::string text = url.absoluteString();
        fetched_.push_back(text);
        timeouts_.push_back(timeout);
        changed_.wait_for(lock, 10s, [&] { return std::find(held_.begin(), held_.end(), text) == held_.end(); });
        const auto found = documents_.find(text);
        return found == documents_.end() ? std::nullopt : std::optional<std::string>(found->second);
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::string, std::string> documents_;
    std::vector<std::string> held_;
    std::vector<std::string> fetched_;
    std::vector<Clock::Duration> timeouts_;
};

std::string vast(const std::string& ads) { return "<VAST version=\"4.1\">" + ads + "</VAST>"; }

// A wrapper ad named `name` pointing at `tag`; its addresses carry the name.
std::string wrapperAd(const std::string& name, const std::string& tag, const std::string& creatives = "") {
    const std::string base = "https://t.test/" + name;
    return "<Ad id=\"" + name + "\"><Wrapper><AdSystem>sys-" + name + "</AdSystem><VASTAdTagURI><![CDATA[" + tag +
           "]]></VASTAdTagURI><Error>" + base + "/error</Error><Impression>" + base + "/imp</Impression><Creatives>" +
           (creatives.empty() ? "<Creative><Linear><TrackingEvents><Tracking event=\"start\">" + base +
                                    "/start</Tracking></TrackingEvents></Linear></Creative>"
                              : creatives) +
           "</Creatives><Extensions><Extension type=\"" + name + "\"/></Extensions></Wrapper></Ad>";
}

std::string inlineAd(const std::string& name, const std::string& creatives = "", bool withError = true) {
    const std::string base = "https://t.test/" + name;
    return "<Ad id=\"" + name + "\"><InLine><AdSystem>sys-" + name + "</AdSystem>" +
           (withError ? "<Error>" + base + "/error</Error>" : "") + "<Impression>" + base + "/imp</Impression><Creatives>" +
           (creatives.empty() ? "<Creative><Linear><Duration>00:00:30</Duration><TrackingEvents>"
                                "<Tracking event=\"start\">" + base + "/start</Tracking></TrackingEvents>"
                                "<MediaFiles><MediaFile width=\"640\"><![CDATA[" + base +
                                    "/video.mp4]]></MediaFile></MediaFiles></Linear></Creative>"
                              : creatives) +
           "</Creatives></InLine></Ad>";
}

// The addresses of impressions or tracking events, "" for one without.
template <class Item>
std::vector<std::string> urls(const std::vector<Item>& items) {
    std::vector<std::string> result;
    for (const auto& item : items) {
        result.push_back(item.url ? item.url->absoluteString() : "");
    }
    return result;
}

struct Outcome {
    int calls = 0;
    std::optional<VastModel> model;
    std::optional<VastError> error;
};

class VastParserTests : public ::testing::Test {
protected:
    VastClientOptions options(std::int64_t wrapperLimit = 3, double timeLimit = 10.0) {
        VastClientOptions o;
        o.wrapperLimit = wrapperLimit;
        o.timeLimit = timeLimit;
        return o;
    }

    // Starts one request through the client; `outcome` receives its completion.
    void start(const std::string& xml, VastClientOptions o, Outcome& outcome) {
        VastClient(o, fetcher, sender).parse(xml, [&outcome](std::optional<VastModel> model, std::optional<VastError> error) {
            ++outcome.calls;
            outcome.model = std::move(model);
            outcome.error = error;
        });
    }
    // Runs one request and waits for its completion.
    Outcome run(const std::string& xml, VastClientOptions o) {
        Outcome outcome;
        start(xml, o, outcome);
        EXPECT_TRUE(test::waitUntil([&] { return outcome.calls > 0; }));
        EXPECT_TRUE(test::settle());
        EXPECT_EQ(outcome.calls, 1);
        return outcome;
    }
    Outcome run(const std::string& xml) { return run(xml, options()); }

    std::shared_ptr<FakeFetcher> fetcher = std::make_shared<FakeFetcher>();
    // What documents without ads fired (called on the request's queue).
    std::shared_ptr<std::mutex> firedMutex = std::make_shared<std::mutex>();
    std::shared_ptr<std::vector<std::string>> fired = std::make_shared<std::vector<std::string>>();
    VastXMLParser::TrackingUrlSender sender = [m = firedMutex, f = fired](const std::vector<URL>& urls,
                                                                          const std::optional<std::string>& event) {
        std::lock_guard lock(*m);
        for (const auto& url : urls) {
            f->push_back(event.value_or("") + " " + url.absoluteString());
        }
    };
};

TEST_F(VastParserTests, RequestsThatNeedNoFetch) {
    for (const std::int64_t limit : {0, -1}) {
        const Outcome refused = run(vast(inlineAd("a")), options(limit));
        EXPECT_FALSE(refused.model);
        EXPECT_EQ(refused.error, VastError::wrapperLimitReached);
    }
    EXPECT_EQ(run("<NotVast/>").error, VastError::invalidVASTDocument);
    EXPECT_EQ(run("<VAST><Ad>").error, VastError::unableToParseDocument);

    const std::string xml = vast(inlineAd("a") + inlineAd("b"));
    EXPECT_EQ(run(xml).model, VastXMLParser::create()->parse(xml).model);
    EXPECT_TRUE(fetcher->fetched().empty());
}

TEST_F(VastParserTests, UnresolvableWrappersStayAsParsed) {
    // No ad-tag address, an address that fails to load, and one whose document has no ads (that
    // document fires its own errors).
    fetcher->serve("https://ads.test/empty", vast("<Error>https://t.test/noads</Error>"));
    const std::string xml = vast("<Ad id=\"none\"><Wrapper><Impression>https://t.test/x</Impression></Wrapper></Ad>" +
                                 wrapperAd("missing", "https://ads.test/missing") + wrapperAd("empty", "https://ads.test/empty"));
    testing::internal::CaptureStdout();
    const Outcome outcome = run(xml);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Unable to unwrap wrapper\n");
    ASSERT_TRUE(outcome.model);
    EXPECT_EQ(outcome.model.value().ads, VastXMLParser::create()->parse(xml).model.value().ads);
    EXPECT_EQ(fetcher->fetched(), (std::vector<std::string>{"https://ads.test/missing", "https://ads.test/empty"}));
    std::lock_guard lock(*firedMutex);
    EXPECT_EQ(*fired, std::vector<std::string>{"ERROR NO ADS https://t.test/noads"});
}

TEST_F(VastParserTests, DepthLimitAndTheCeilingForChainsThatLoop) {
    fetcher->serve("https://ads.test/l1", vast(wrapperAd("l1", "https://ads.test/l2")));
    fetcher->serve("https://ads.test/l2", vast(wrapperAd("l2", "https://ads.test/l3")));
    fetcher->serve("https://ads.test/l3", vast(inlineAd("l3")));
    testing::internal::CaptureStdout();
    // The third level is refused; the chain keeps what was read.
    const Outcome outcome = run(vast(wrapperAd("root", "https://ads.test/l1")));
    const VastAd& ad = outcome.model.value().ads.at(0);
    EXPECT_EQ(ad.type, AdType::wrapper);
    EXPECT_EQ(urls(ad.impressions),
              (std::vector<std::string>{"https://t.test/root/imp", "https://t.test/l1/imp", "https://t.test/l2/imp"}));
    EXPECT_EQ(fetcher->fetched().size(), 2u);
    EXPECT_EQ(run(vast(wrapperAd("root", "https://ads.test/l1")), options(4)).model.value().ads.at(0).type, AdType::inLine);

    // A chain pointing back to itself ends at the fixed ceiling, whatever the configured limit.
    fetcher->serve("https://ads.test/loop", vast(wrapperAd("loop", "https://ads.test/loop")));
    const std::size_t before = fetcher->fetched().size();
    const Outcome loop = run(vast(wrapperAd("root", "https://ads.test/loop")), options(1'000'000, 1e9));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(loop.model.value().ads.at(0).type, AdType::wrapper);
    EXPECT_EQ(fetcher->fetched().size() - before, static_cast<std::size_t>(VastParser::maximumWrapperDepth - 1));
}

TEST_F(VastParserTests, FetchedDocumentWithSeveralAdsMergesAllInOrder) {
    fetcher->serve("https://ads.test/pod", vast(inlineAd("a") + inlineAd("b", "", false)));
    const Outcome outcome = run(vast(wrapperAd("root", "https://ads.test/pod")));
    const VastAd& ad = outcome.model.value().ads.at(0);
    EXPECT_EQ(urls(ad.impressions),
              (std::vector<std::string>{"https://t.test/root/imp", "https://t.test/a/imp", "https://t.test/b/imp"}));
    // Single-valued fields end with the last ad that supplied them; b has no Error of its own.
    EXPECT_EQ(ad.adSystem->system, "sys-b");
    EXPECT_EQ(ad.errors.at(0).absoluteString(), "https://t.test/a/error");
    EXPECT_EQ(ad.creatives.at(0).linear->files.mediaFiles.size(), 2u);
}

TEST_F(VastParserTests, CreativesMergeByPositionAndOnlyLinearIntoLinear) {
    const std::string linearWithoutDuration =
        "<Creative><Linear><TrackingEvents><Tracking event=\"pause\">https://t.test/f/pause</Tracking>"
        "</TrackingEvents><VideoClicks><ClickTracking>https://t.test/f/click</ClickTracking></VideoClicks>"
        "</Linear></Creative>";
    const std::string companion =
        "<Creative><CompanionAds required=\"all\"><Companion width=\"300\"/><Companion width=\"320\"/></CompanionAds></Creative>";
    fetcher->serve("https://ads.test/f", vast(inlineAd("f", linearWithoutDuration + linearWithoutDuration + companion)));
    fetcher->serve("https://ads.test/c", vast(inlineAd("c", companion)));

    // Wrapper creative 0 is linear with a duration, creative 1 has no linear part; the fetched
    // third creative has no partner and is kept as it is.
    const std::string wrapperCreatives =
        "<Creative><Linear><Duration>00:00:10</Duration></Linear></Creative>"
        "<Creative><CompanionAds required=\"any\"><Companion width=\"1\" height=\"1\"/></CompanionAds></Creative>";
    const Outcome outcome = run(vast(wrapperAd("root", "https://ads.test/f", wrapperCreatives)));
    const VastAd& ad = outcome.model.value().ads.at(0);
    ASSERT_EQ(ad.creatives.size(), 3u);
    EXPECT_EQ(ad.creatives[2], VastXMLParser::create()->parse(vast(inlineAd("f", companion))).model.value().ads.at(0).creatives.at(0));
    const VastLinearCreative& linear = *ad.creatives[0].linear;
    EXPECT_FALSE(linear.duration);  // the fetched linear part has none
    EXPECT_EQ(urls(linear.trackingEvents), std::vector<std::string>{"https://t.test/f/pause"});
    EXPECT_EQ(linear.videoClicks.size(), 1u);
    EXPECT_FALSE(ad.creatives[1].linear);
    EXPECT_EQ(ad.creatives[1].companionAds->companions.size(), 1u);
    EXPECT_EQ(ad.creatives[1].companionAds->required, CompanionsRequirement::any);

    // A wrapper creative without companions adopts the fetched ones.
    const Outcome adopted = run(vast(wrapperAd("root", "https://ads.test/c", "<Creative/>")));
    const VastCreative& creative = adopted.model.value().ads.at(0).creatives.at(0);
    ASSERT_TRUE(creative.companionAds);
    EXPECT_EQ(creative.companionAds->required, CompanionsRequirement::all);
    EXPECT_EQ(creative.companionAds->companions.size(), 2u);
}

TEST_F(VastParserTests, WrapperWithoutCreativesPlaysAndTracksTheInlineCreatives) {
    // Two inline ads below one wrapper that has no Creatives element: both creatives are kept in
    // order, and the first plays with the wrapper's and both ads' impressions.
    fetcher->serve("https://ads.test/in", vast(inlineAd("a") + inlineAd("b")));
    const std::string bare = "<Ad id=\"root\"><Wrapper><VASTAdTagURI>https://ads.test/in</VASTAdTagURI>"
                             "<Impression>https://t.test/root/imp</Impression></Wrapper></Ad>";
    const VastModel model = run(vast(bare)).model.value();
    const VastAd& ad = model.ads.at(0);
    ASSERT_EQ(ad.creatives.size(), 2u);
    EXPECT_EQ(urls(ad.creatives[1].linear->trackingEvents), std::vector<std::string>{"https://t.test/b/start"});

    std::vector<std::string> sent;
    auto tracker = VastTracker::create(model, {}, 0.0, true, [&sent](const std::vector<URL>& urls, const std::optional<std::string>& event) {
        for (const auto& url : urls) {
            sent.push_back(event.value_or("") + " " + url.absoluteString());
        }
    });
    ASSERT_FALSE(tracker->start("root"));
    ASSERT_FALSE(tracker->trackStart());
    for (double time = 0; time < 30; time += 0.5) {
        ASSERT_FALSE(tracker->updateProgress(time));
    }
    EXPECT_FALSE(tracker->trackComplete());
    EXPECT_EQ(sent, (std::vector<std::string>{"START https://t.test/a/start", "IMPRESSIONS https://t.test/root/imp",
                                              "IMPRESSIONS https://t.test/a/imp", "IMPRESSIONS https://t.test/b/imp"}));
    EXPECT_FALSE(tracker->currentTrackingCreative());
}

TEST_F(VastParserTests, TimeLimitDeliversOnceAndStopsFurtherFetches) {
    test::ScopedManualClock clock;
    fetcher->serve("https://ads.test/a", vast(inlineAd("a")));
    fetcher->serve("https://ads.test/b", vast(inlineAd("b")));
    fetcher->hold("https://ads.test/a");
    Outcome outcome;
    start(vast(wrapperAd("w1", "https://ads.test/a") + wrapperAd("w2", "https://ads.test/b")), options(3, 10.0), outcome);
    ASSERT_TRUE(test::waitUntil([&] { return !fetcher->fetched().empty(); }));

    test::advanceAndPump(clock, 9.9, 0.1);
    EXPECT_EQ(outcome.calls, 0);
    test::advanceAndPump(clock, 0.2, 0.1);
    EXPECT_TRUE(test::waitUntil([&] { return outcome.calls > 0; }));
    EXPECT_FALSE(outcome.model);
    EXPECT_EQ(outcome.error, VastError::wrapperTimeLimitReached);

    fetcher->release();
    ASSERT_TRUE(test::settle());
    EXPECT_EQ(outcome.calls, 1);
    EXPECT_EQ(fetcher->fetched(), std::vector<std::string>{"https://ads.test/a"});
}

TEST_F(VastParserTests, EachFetchIsBoundedByTheTimeLeft) {
    test::ScopedManualClock clock;
    fetcher->serve("https://ads.test/l1", vast(wrapperAd("l1", "https://ads.test/l2")));
    fetcher->serve("https://ads.test/l2", vast(inlineAd("l2")));
    fetcher->hold("https://ads.test/l1");
    Outcome outcome;
    start(vast(wrapperAd("root", "https://ads.test/l1")), options(3, 10.0), outcome);
    ASSERT_TRUE(test::waitUntil([&] { return !fetcher->fetched().empty(); }));
    test::advanceAndPump(clock, 3.0, 1.0);
    fetcher->release();
    EXPECT_TRUE(test::waitUntil([&] { return outcome.calls > 0; }));
    ASSERT_TRUE(outcome.model);
    EXPECT_EQ(outcome.model.value().ads.at(0).type, AdType::inLine);
    EXPECT_EQ(fetcher->timeouts(), (std::vector<Clock::Duration>{Clock::seconds(10.0), Clock::seconds(7.0)}));

    // The timer was invalidated by the finished parse: moving past the limit delivers nothing more.
    test::advanceAndPump(clock, 20.0, 1.0);
    EXPECT_EQ(outcome.calls, 1);
}

TEST_F(VastParserTests, ParserServesOneRequest) {
    auto parser = VastParser::create(options(), platform::DispatchQueue::createSerial("parser"), fetcher, sender);
    std::vector<std::optional<VastError>> first;
    std::vector<std::optional<VastError>> second;
    parser->parse(vast(inlineAd("a")), [&](std::optional<VastModel>, std::optional<VastError> e) { first.push_back(e); });
    parser->parse(vast(inlineAd("b")), [&](std::optional<VastModel>, std::optional<VastError> e) { second.push_back(e); });
    ASSERT_TRUE(test::waitUntil([&] { return first.size() + second.size() == 2; }));
    ASSERT_TRUE(test::settle());
    EXPECT_EQ(first, std::vector<std::optional<VastError>>{std::nullopt});
    EXPECT_EQ(second, std::vector<std::optional<VastError>>{VastError::internalError});
}

}  // namespace
}  // namespace solen
