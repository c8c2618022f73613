#include "Commons/Trackers/TrackerData.h"
#include "Commons/Trackers/TrackerManager.h"

#include "support/DispatchWait.h"
#include "support/LocalHttpServer.h"
#include "support/LogCapture.h"
#include "support/ScriptedHttpSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <set>
#include <vector>

namespace solen {
namespace {

using namespace std::chrono_literals;

PrimeAdsConfig::EventReporting reporting(std::int64_t maxRetries, double intervalMs, double timeOutMs) {
    PrimeAdsConfig::EventReporting settings;
    settings.maxRetries = maxRetries;
    settings.retryInterval = intervalMs;
    settings.retryTimeOut = timeOutMs;
    return settings;
}

TrackerManager managerWith(PrimeAdsConfig::EventReporting settings) {
    return TrackerManager(std::make_shared<TrackerNetworkInterface>(), [settings] { return settings; });
}

std::multiset<std::string> targets(const test::LocalHttpServer& server) {
    std::multiset<std::string> result;
    for (const auto& request : server.requests()) {
        result.insert(request.method + " " + request.target);
    }
    return result;
}

// A serial queue that counts the blocks submitted to it.
class CountingQueue final : public platform::DispatchQueue {
public:
    std::atomic<int> blocks{0};

    const std::string& label() const override { return inner_->label(); }
    void async(platform::DispatchBlock block) override {
        ++blocks;
        inner_->async(std::move(block));
    }
    void sync(const platform::DispatchBlock& block) override { inner_->sync(block); }
    void asyncBarrier(platform::DispatchBlock block) override { async(std::move(block)); }
    void syncBarrier(const platform::DispatchBlock& block) override { sync(block); }
    bool isCurrent() const override { return inner_->isCurrent(); }

private:
    std::shared_ptr<platform::DispatchQueue> inner_ = platform::DispatchQueue::createSerial("tracker.counting");
};

TEST(TrackerManagerTests, TheRequestsOfOneCallLeaveTogetherInListOrder) {
    const std::vector<std::string> texts{"https://t.test/1", "not a url", "https://t.test/2", "https://t.test/3"};
    const std::vector<platform::URL> urls{*platform::URL::parse("https://t.test/1"), *platform::URL::parse("https://t.test/2")};
    struct Case {
        const char* name;
        std::function<void(const TrackerManager&)> call;
        std::vector<std::string> sent;
        int blocks;
    };
    const std::vector<Case> cases{
        {"fire", [&](const TrackerManager& m) { m.fire(texts); }, {"https://t.test/1", "https://t.test/2", "https://t.test/3"}, 1},
        {"tracking urls", [&](const TrackerManager& m) { m.fireTrackingUrls(urls); }, {"https://t.test/1", "https://t.test/2"}, 1},
        {"one url", [&](const TrackerManager& m) { m.fire({texts[0]}); }, {"https://t.test/1"}, 1},
        {"nothing valid", [&](const TrackerManager& m) { m.fire({"", "not a url"}); }, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto session = test::ScriptedHttpSession::create();
        const auto queue = std::make_shared<CountingQueue>();
        const TrackerManager manager(std::make_shared<TrackerNetworkInterface>(NetworkServiceProvider::create(session)),
                                     [] { return reporting(0, 1000, 5000); }, queue);
        c.call(manager);
        queue->sync([] {});
        std::vector<std::string> sent;
        for (const auto& request : session->requests()) {
            sent.push_back(request.url()->absoluteString());
        }
        EXPECT_EQ(sent, c.sent);
        EXPECT_EQ(queue->blocks.load(), c.blocks);
    }
}

TEST(TrackerManagerTests, TrackerRequestTakesTheEventReportingSettings) {
    const auto url = *platform::URL::parse("https://t.test/imp?x=1");
    const auto request = managerWith(reporting(3, 60000, 60000)).trackerRequest(url);
    EXPECT_EQ(request->method(), Request::HTTPMethod::get);
    EXPECT_EQ(request->retryCount(), 3);

    // Millisecond precision is kept; unusable values fall back to the default; huge ones are bounded.
    const auto fine = managerWith(reporting(1, 1500, 2500)).trackerRequest(url);
    EXPECT_EQ(fine->retryInterval(), 1.5);
    EXPECT_EQ(fine->timeout(), 2.5);
    EXPECT_EQ(managerWith(reporting(1, 999, 1)).trackerRequest(url)->retryInterval(), 0.999);
    const auto zero = managerWith(reporting(-4, 0, -1)).trackerRequest(url);
    EXPECT_EQ(zero->retryInterval(), 60.0);
    EXPECT_EQ(zero->timeout(), 60.0);
    EXPECT_EQ(zero->retryCount(), 0);
    EXPECT_EQ(managerWith(reporting(1, 1e300, 0)).trackerRequest(url)->retryInterval(), 86400.0);
}

TEST(TrackerManagerTests, FiresValidUrlsAndSkipsInvalidOnes) {
    test::LocalHttpServer server;
    test::LogCapture log;
    const auto manager = managerWith(reporting(0, 1000, 5000));
    manager.fire({server.url("/a?x=1&y=%20"), "not a url", "", "relative/path", server.url("/c")});
    ASSERT_TRUE(server.waitForRequests(2, 5s));
    ASSERT_TRUE(test::drainGlobalQueue());
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(targets(server), (std::multiset<std::string>{"GET /a?x=1&y=%20", "GET /c"}));
    EXPECT_TRUE(log.contains("Invalid url string not a url"));
    EXPECT_EQ(log.count("Invalid url string "), 3u);
}

TEST(TrackerManagerTests, SubstitutedTrackersArriveWithTheirExactQuery) {
    test::LocalHttpServer server;
    const auto manager = managerWith(reporting(0, 1000, 5000));
    const auto data = TrackerData::list("1&evil=1", "cr 7", "120", "Time#out", std::nullopt, "3");
    const std::string tracker = server.url("/fill?imp=$IMP&cr=$CR_ID&nl=$NETWORK_LATENCY&r=$RENDER_LATENCY&dr=$DROP_REASON");
    manager.fire({tracker}, data);
    ASSERT_TRUE(server.waitForRequests(1, 5s));
    EXPECT_EQ(server.requests()[0].target, "/fill?imp=1%26evil%3D1&cr=cr%207&nl=120&r=&dr=Time%23out");
}

TEST(TrackerManagerTests, FailingTrackerIsRetriedThenDropped) {
    test::LocalHttpServer server;
    server.setDefaultAnswer(test::ScriptedAnswer::json(503, "{}"));
    const auto manager = managerWith(reporting(2, 100, 5000));
    manager.fireTrackingUrls({*platform::URL::parse(server.url("/vast/err?code=405"))}, "error");
    ASSERT_TRUE(server.waitForRequests(3, 5s));
    std::this_thread::sleep_for(300ms);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].target, "/vast/err?code=405");
    for (std::size_t i = 1; i < requests.size(); ++i) {
        EXPECT_GE(requests[i].receivedAt - requests[i - 1].receivedAt, 95ms);
    }
}

TEST(TrackerDataTests, TokensAreExactAndTheListKeepsItsOrder) {
    for (const auto macro : allTrackerMacros) {
        EXPECT_EQ(trackerMacroFromToken(trackerMacroToken(macro)), macro);
    }
    EXPECT_EQ(trackerMacroFromToken("$DROP_DESCRIPTOR"), TrackerMacros::dropReasonDesciptor);
    EXPECT_FALSE(trackerMacroFromToken("$imp"));
    EXPECT_FALSE(trackerMacroFromToken("$IMP "));
    EXPECT_EQ(TrackerData::list().size(), 8u);
    const auto full = TrackerData::list("i", "c", "1", "r", "d", "2", "3", "4");
    EXPECT_EQ(full[2], (TrackerData{TrackerMacros::networkLatency, "1"}));
    EXPECT_EQ(full[4], (TrackerData{TrackerMacros::dropReasonDesciptor, "d"}));
    EXPECT_EQ(full[7], (TrackerData{TrackerMacros::auctionLatency, "4"}));
}

TEST(TrackerDataTests, SubstitutesEveryOccurrence) {
    const std::vector<TrackerData> imp{{TrackerMacros::impression, "a b"}};
    EXPECT_EQ(TrackerData::substitute("https://t.test/x?i=$IMP&j=$IMP", imp), "https://t.test/x?i=a%20b&j=a%20b");
    // Tokens without an entry stay; an empty list changes nothing.
    EXPECT_EQ(TrackerData::substitute("https://t.test/?r=$RENDER_LATENCY&i=$IMP", imp),
              "https://t.test/?r=$RENDER_LATENCY&i=a%20b");
    EXPECT_EQ(TrackerData::substitute("https://t.test/?i=$IMP", {}), "https://t.test/?i=$IMP");
    // A lone or unknown "$" is kept; adjacent tokens are both replaced.
    EXPECT_EQ(TrackerData::substitute("https://t.test/$?a=$$IMP$CR_ID$X",
                                      TrackerData::list("1", "c")),
              "https://t.test/$?a=$1c$X");
    // Empty values remove the token.
    EXPECT_EQ(TrackerData::substitute("https://t.test/?l=$LOAD_LATENCY&a=$AUCTION_LATENCY", TrackerData::list()),
              "https://t.test/?l=&a=");
    // The first entry of a macro counts.
    EXPECT_EQ(TrackerData::substitute("u?i=$IMP", {{TrackerMacros::impression, "1"}, {TrackerMacros::impression, "2"}}),
              "u?i=1");
}

TEST(TrackerDataTests, HostileValuesStayInsideTheirParameter) {
    EXPECT_EQ(TrackerData::encodeValue("-._~!$'()*,:AZaz09"), "-._~!$'()*,:AZaz09");
    EXPECT_EQ(TrackerData::encodeValue("a&b=c+d;e#f[g]h%i/j?k@l\"m<n>"),
              "a%26b%3Dc%2Bd%3Be%23f%5Bg%5Dh%25i%2Fj%3Fk%40l%22m%3Cn%3E");
    EXPECT_EQ(TrackerData::encodeValue("\r\n\t é"), "%0D%0A%09%20%C3%A9");
    EXPECT_EQ(TrackerData::encodeValue(std::string("a\0b", 3)), "a%00b");
    // A value holding another macro's token is not substituted again.
    const auto data = TrackerData::list("$CR_ID", "creative", std::nullopt, "x&admin=1");
    EXPECT_EQ(TrackerData::substitute("https://t.test/?i=$IMP&c=$CR_ID&r=$DROP_REASON", data),
              "https://t.test/?i=$CR_ID&c=creative&r=x%26admin%3D1");
    // A descriptor in the platform's dictionary form.
    EXPECT_EQ(TrackerData::substitute("u?d=$DROP_DESCRIPTOR",
                                      {{TrackerMacros::dropReasonDesciptor, R"(["Info": "time out"])"}}),
              "u?d=%5B%22Info%22:%20%22time%20out%22%5D");
}

}  // namespace
}  // namespace solen
