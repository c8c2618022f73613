#include "Ad/RenderEngine/Vast/Parser/VastClient.h"
#include "Ad/RenderEngine/Vast/Parser/VastTracker.h"
#include "Commons/Trackers/TrackerManager.h"

#include "support/DispatchWait.h"
#include "support/LocalHttpServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace solen {
namespace {

using namespace std::chrono_literals;
using test::LocalHttpServer;
using test::ScriptedAnswer;

// A two-level wrapper chain served over loopback, resolved by the client, then a 30-second
// creative played through the tracker with the SDK's tracker manager sending to the same server.
class VastWrapperPlaybackTests : public ::testing::Test {
protected:
    std::string tracking(const std::string& event, const std::string& path, const std::string& offset = "") {
        return "<Tracking event=\"" + event + "\"" + (offset.empty() ? "" : " offset=\"" + offset + "\"") + "><![CDATA[" +
               server.url(path) + "]]></Tracking>";
    }
    std::string element(const std::string& name, const std::string& path) {
        return "<" + name + "><![CDATA[" + server.url(path) + "]]></" + name + ">";
    }

    std::string root() {
        return "<VAST version=\"4.1\"><Ad id=\"root\"><Wrapper><AdSystem>root</AdSystem>" +
               element("VASTAdTagURI", "/vast/w1") + element("Impression", "/t/root/imp") +
               element("Error", "/t/root/err?c=[ERRORCODE]") + "<Creatives><Creative><Linear><TrackingEvents>" +
               tracking("start", "/t/root/start") + tracking("firstQuartile", "/t/root/q1") +
               "</TrackingEvents></Linear></Creative></Creatives></Wrapper></Ad></VAST>";
    }
    std::string level1() {
        return "<VAST version=\"4.1\"><Ad id=\"w1\"><Wrapper><AdSystem>w1</AdSystem>" +
               element("VASTAdTagURI", "/vast/inline") + element("Impression", "/t/w1/imp") +
               "<Creatives><Creative><Linear><TrackingEvents>" + tracking("midpoint", "/t/w1/mid") +
               tracking("progress", "/t/w1/p10", "00:00:10") +
               "</TrackingEvents></Linear></Creative></Creatives></Wrapper></Ad></VAST>";
    }
    std::string inlineDocument() {
        std::string events;
        for (const char* event : {"start", "creativeView", "firstQuartile", "midpoint", "thirdQuartile", "complete",
                                  "mute", "unmute", "pause", "resume"}) {
            events += tracking(event, std::string("/t/in/") + event);
        }
        events += tracking("progress", "/t/in/p25", "25%");
        return "<VAST version=\"4.1\"><Ad id=\"in\"><InLine><AdSystem>in</AdSystem><AdTitle>Spot</AdTitle>" +
               element("Impression", "/t/in/imp") + element("Error", "/t/in/err?c=[ERRORCODE]") +
               "<Creatives><Creative><Linear><Duration>00:00:30</Duration><TrackingEvents>" + events +
               "</TrackingEvents><MediaFiles><MediaFile width=\"1280\" height=\"720\" type=\"video/mp4\">" +
               "<![CDATA[https://cdn.test/spot.mp4]]></MediaFile></MediaFiles></Linear></Creative></Creatives>" +
               "</InLine></Ad></VAST>";
    }

    // The targets received since the last check, sorted: one tracker call sends its addresses as
    // separate requests whose arrival order is not fixed.
    std::vector<std::string> received(std::size_t expected) {
        EXPECT_TRUE(server.waitForRequests(seen + expected, 5s));
        const auto requests = server.requests();
        std::vector<std::string> targets;
        for (std::size_t i = seen; i < requests.size(); ++i) {
            targets.push_back(requests[i].target);
        }
        seen = requests.size();
        std::sort(targets.begin(), targets.end());
        return targets;
    }

    LocalHttpServer server;
    std::size_t seen = 0;
};

TEST_F(VastWrapperPlaybackTests, ResolvesTheChainAndFiresEveryTrackerInOrder) {
    server.enqueue("/vast/w1", ScriptedAnswer::text(200, level1(), "application/xml"));
    server.enqueue("/vast/inline", ScriptedAnswer::text(200, inlineDocument(), "application/xml"));

    PrimeAdsConfig::EventReporting noRetries;
    noRetries.retryTimeOut = 5000;
    const auto manager =
        std::make_shared<TrackerManager>(std::make_shared<TrackerNetworkInterface>(), [noRetries] { return noRetries; });
    const auto sender = [manager](const std::vector<platform::URL>& urls, const std::optional<std::string>& event) {
        manager->fireTrackingUrls(urls, event);
    };

    VastClientOptions options;
    options.timeLimit = 10.0;
    std::optional<VastModel> model;
    std::optional<VastError> error;
    bool delivered = false;
    VastClient(options, nullptr, sender).parse(root(), [&](std::optional<VastModel> m, std::optional<VastError> e) {
        model = std::move(m);
        error = e;
        delivered = true;
    });
    ASSERT_TRUE(test::waitUntil([&] { return delivered; }));
    ASSERT_TRUE(model) << (error ? vastErrorName(*error) : "");
    ASSERT_EQ(model->ads.size(), 1u);
    EXPECT_EQ(model->ads[0].type, AdType::inLine);
    EXPECT_EQ(model->ads[0].adTitle, "Spot");
    EXPECT_EQ(received(2), (std::vector<std::string>{"/vast/inline", "/vast/w1"}));
    EXPECT_EQ(server.requests()[0].target, "/vast/w1");

    auto tracker = VastTracker::create(*model, {}, 0.0, true, sender);
    ASSERT_FALSE(tracker->start("root"));

    using Targets = std::vector<std::string>;
    ASSERT_FALSE(tracker->trackStart());
    EXPECT_EQ(received(6), (Targets{"/t/in/creativeView", "/t/in/imp", "/t/in/start", "/t/root/imp", "/t/root/start",
                                    "/t/w1/imp"}));

    // The player reports its time every half second; events happen on the way.
    const std::map<double, Targets> expectedAt = {
        {4.0, {"/t/in/mute"}}, {7.5, {"/t/in/p25"}}, {8.0, {"/t/in/firstQuartile", "/t/root/q1"}}, {10.0, {"/t/w1/p10"}},
        {12.0, {"/t/in/pause", "/t/in/resume"}}, {15.0, {"/t/in/midpoint", "/t/w1/mid"}}, {20.0, {"/t/in/err?c=405"}},
        {23.0, {"/t/in/thirdQuartile"}}};
    for (int tick = 0; tick <= 60; ++tick) {
        const double time = tick * 0.5;
        ASSERT_FALSE(tracker->updateProgress(time));
        if (time == 4.0) {
            ASSERT_FALSE(tracker->trackMute(true));
        } else if (time == 12.0) {
            tracker->trackPause();
            tracker->trackResume();
        } else if (time == 20.0) {
            ASSERT_FALSE(tracker->trackError(VastErrorCodes::problemDisplayingMediaFile));
        }
        if (const auto expected = expectedAt.find(time); expected != expectedAt.end()) {
            EXPECT_EQ(received(expected->second.size()), expected->second) << "at " << time;
        }
    }
    ASSERT_FALSE(tracker->trackComplete());
    EXPECT_EQ(received(1), (Targets{"/t/in/complete"}));

    // Nothing else arrived in between or afterwards.
    EXPECT_TRUE(test::settle());
    EXPECT_EQ(server.requestCount(), seen);
}

}  // namespace
}  // namespace solen
