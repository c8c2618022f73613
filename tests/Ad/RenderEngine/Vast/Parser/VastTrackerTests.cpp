#include "Ad/RenderEngine/Vast/Parser/VastTracker.h"

#include "Ad/RenderEngine/Vast/Parser/VastXMLParser.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace solen {
namespace {

using platform::URL;
using Calls = std::vector<std::string>;

// Records each call of the sender as "LABEL url url ...".
struct Recorder {
    Calls calls;
    VastTracker::TrackingUrlSender sender() {
        return [this](const std::vector<URL>& urls, const std::optional<std::string>& event) {
            std::string call = event.value_or("");
            for (const auto& url : urls) {
                call += " " + url.absoluteString();
            }
            calls.push_back(call);
        };
    }
    // The calls that sent something, and clears the record.
    Calls take() {
        Calls sent;
        for (auto& call : calls) {
            if (call.find(' ') != std::string::npos) {
                sent.push_back(std::move(call));
            }
        }
        calls.clear();
        return sent;
    }
};

// An inline ad with one linear creative of `duration` whose addresses are
// https://t.test/<id>/<event>; `extra` goes into its TrackingEvents.
std::string linearAd(const std::string& id, const std::string& duration, const std::string& extra = "",
                     const std::string& attributes = "") {
    const std::string base = "https://t.test/" + id + "/";
    std::string events;
    for (const char* name : {"start", "creativeView", "firstQuartile", "midpoint", "thirdQuartile", "complete"}) {
        events += std::string("<Tracking event=\"") + name + "\">" + base + name + "</Tracking>";
    }
    return "<Ad id=\"" + id + "\"" + attributes + "><InLine><Impression>" + base + "imp</Impression><Impression/>" +
           "<Creatives><Creative><Linear><Duration>" + duration + "</Duration><TrackingEvents>" + events + extra +
           "</TrackingEvents></Linear></Creative></Creatives></InLine></Ad>";
}

std::string sequenced(const std::string& id, int sequence) {
    return linearAd(id, "00:00:10", "", " sequence=\"" + std::to_string(sequence) + "\"");
}

std::shared_ptr<VastTracker> makeTracker(const std::string& ads, Recorder& recorder, bool cumulative = true) {
    auto parsed = VastXMLParser::create([](const std::vector<URL>&, const std::optional<std::string>&) {})
                      ->parse("<VAST version=\"4.0\">" + ads + "</VAST>");
    EXPECT_TRUE(parsed.ok()) << ads;
    return VastTracker::create(parsed.model.value_or(VastModel{}), {}, 0.0, cumulative, recorder.sender());
}

// Starts ad `id` and its playback, and forgets what that sent.
void startPlayback(VastTracker& tracker, const std::string& id, Recorder& recorder) {
    ASSERT_FALSE(tracker.start(id));
    ASSERT_FALSE(tracker.trackStart());
    recorder.calls.clear();
}

class Delegate final : public VastTrackerDelegate {
public:
    std::vector<std::string> told;
    void vastTrackerDidTrackFirstQuartile(VastTracker&, const VastAd& ad) override { told.push_back("first " + ad.id); }
    void vastTrackerDidTrackMidpoint(VastTracker&, const VastAd& ad) override { told.push_back("mid " + ad.id); }
    void vastTrackerDidTrackThirdQuartile(VastTracker&, const VastAd& ad) override { told.push_back("third " + ad.id); }
};

TEST(TrackingCreativeTests, MarksAreWholeSecondsBeforeTheEndElseTheExactShare) {
    VastLinearCreative linear;
    EXPECT_FALSE(TrackingCreative::make(linear, VastAd{}));
    struct Case {
        double duration, first, mid, third;
    };
    for (const Case c : {Case{30, 8, 15, 23}, Case{10, 3, 5, 8}, Case{10.5, 3, 6, 8}, Case{4, 1, 2, 3},
                         Case{3.5, 1, 2, 3}, Case{3, 1, 2, 2.25}, Case{2, 1, 1, 1.5}, Case{1.5, 1, 1, 1.125},
                         Case{1, 0.25, 0.5, 0.75}, Case{0, 0, 0, 0}}) {
        linear.duration = c.duration;
        const auto creative = TrackingCreative::make(linear, VastAd{});
        ASSERT_TRUE(creative);
        EXPECT_EQ(creative->firstQuartile, c.first) << c.duration;
        EXPECT_EQ(creative->midpoint, c.mid) << c.duration;
        EXPECT_EQ(creative->thirdQuartile, c.third) << c.duration;
    }
}

TEST(VastTrackerTests, ChoosesStandAlonePodAndBuffetAds) {
    Recorder recorder;
    const std::string nonLinear = "<Ad id=\"nl\" sequence=\"1\"><InLine><Creatives><Creative><NonLinearAds/></Creative>"
                                  "</Creatives></InLine></Ad>";
    // No sequence anywhere: only the first ad with a linear creative.
    auto standAlone = makeTracker(linearAd("a", "00:00:30") + linearAd("b", "00:00:30"), recorder);
    EXPECT_EQ(standAlone->trackerModel().type, TrackerModelType::standAlone);
    ASSERT_EQ(standAlone->totalAds(), 1);
    EXPECT_EQ(standAlone->vastAds()[0].id, "a");

    // Every ad sequenced: the pod in ascending sequence, ties in document order, non-linear skipped.
    auto pod = makeTracker(sequenced("c", 2) + nonLinear + sequenced("a", 1) + sequenced("b", 2), recorder);
    EXPECT_EQ(pod->trackerModel().type, TrackerModelType::adPod);
    ASSERT_EQ(pod->totalAds(), 3);
    EXPECT_EQ(pod->vastAds()[0].id, "a");
    EXPECT_EQ(pod->vastAds()[1].id, "c");
    EXPECT_EQ(pod->vastAds()[2].id, "b");

    // Some sequenced: a buffet, tracked like a stand-alone ad.
    auto buffet = makeTracker(nonLinear + linearAd("x", "00:00:10") + sequenced("y", 1), recorder);
    EXPECT_EQ(buffet->trackerModel().type, TrackerModelType::adBuffet);
    ASSERT_EQ(buffet->totalAds(), 1);
    EXPECT_EQ(buffet->vastAds()[0].id, "x");

    EXPECT_EQ(makeTracker("", recorder)->totalAds(), 0);
    EXPECT_TRUE(recorder.take().empty());
}

TEST(VastTrackerTests, StartRefusesUnplayableAdsAndKeepsTheCreativeItHad) {
    Recorder recorder;
    auto tracker = makeTracker(sequenced("zero", 0) + sequenced("ok", 1) +
                                   "<Ad id=\"nodur\" sequence=\"2\"><InLine><Creatives><Creative><Linear/></Creative>"
                                   "</Creatives></InLine></Ad>",
                               recorder);
    for (const std::string id : {"unknown", "zero"}) {
        EXPECT_EQ(std::get<TrackingError>(*tracker->start(id)), TrackingError::noAdFound(id));
    }
    EXPECT_EQ(std::get<TrackingCreativeError>(*tracker->start("nodur")), TrackingCreativeError::noDurationInVastLinearCreative);
    EXPECT_FALSE(tracker->currentTrackingCreative());

    EXPECT_FALSE(tracker->start("ok"));
    EXPECT_TRUE(tracker->start("unknown"));
    EXPECT_EQ(tracker->currentTrackingCreative()->vastAd.id, "ok");
}

TEST(VastTrackerTests, StartTracksTheFirstCreativeThatHasALinear) {
    Recorder recorder;
    auto tracker = makeTracker("<Ad id=\"cf\" sequence=\"1\"><InLine><Creatives><Creative><CompanionAds/></Creative>"
                               "<Creative><Linear><Duration>00:00:05</Duration></Linear></Creative></Creatives></InLine></Ad>",
                               recorder);
    EXPECT_FALSE(tracker->start("cf"));
    ASSERT_TRUE(tracker->currentTrackingCreative());
    EXPECT_EQ(tracker->currentTrackingCreative()->duration, 5.0);
}

TEST(VastTrackerTests, OperationsWithoutACreativeAndTheErroredState) {
    Recorder recorder;
    auto tracker = makeTracker(linearAd("a", "00:00:30"), recorder);
    const auto noCreative = TrackingError::internalError("Unable to find current creative to track");
    EXPECT_EQ(tracker->trackStart(), noCreative);
    EXPECT_EQ(tracker->trackError(VastErrorCodes::fileNotFound), noCreative);
    tracker->trackPause();
    EXPECT_TRUE(recorder.calls.empty());

    EXPECT_EQ(tracker->updateProgress(4.0), noCreative);
    EXPECT_EQ(tracker->trackingStatus(), TrackingStatus::errored);
    EXPECT_EQ(tracker->updateProgress(5.0),
              TrackingError::unableToUpdateProgress("Cannot update tracking progress.Status is errored"));
    EXPECT_EQ(tracker->currentTime(), 4.0);

    EXPECT_FALSE(tracker->start("a"));
    EXPECT_EQ(tracker->trackingStatus(), TrackingStatus::tracking);
    EXPECT_FALSE(tracker->updateProgress(5.0));
}

TEST(VastTrackerTests, StartThenQuartilesFireOnceInsideTheirWindows) {
    Recorder recorder;
    auto delegate = std::make_shared<Delegate>();
    auto tracker = makeTracker(linearAd("a", "00:00:30"), recorder);
    tracker->setDelegate(delegate);
    ASSERT_FALSE(tracker->start("a"));
    EXPECT_FALSE(tracker->trackStart());
    EXPECT_EQ(recorder.take(), (Calls{"START https://t.test/a/start", "CREATIVEVIEW https://t.test/a/creativeView",
                                      "IMPRESSIONS https://t.test/a/imp"}));  // the empty impression is skipped
    const std::vector<std::pair<double, Calls>> steps = {
        {7.99, {}}, {8.0, {"FIRSTQUARTILE https://t.test/a/firstQuartile"}}, {9.0, {}},
        {15.2, {"MIDPOINT https://t.test/a/midpoint"}}, {23.0, {"THIRDQUARTILE https://t.test/a/thirdQuartile"}}, {30.0, {}},
    };
    for (const auto& [time, fired] : steps) {
        EXPECT_FALSE(tracker->updateProgress(time));
        EXPECT_EQ(recorder.take(), fired) << time;
    }
    EXPECT_EQ(delegate->told, (std::vector<std::string>{"first a", "mid a", "third a"}));

    EXPECT_FALSE(tracker->trackComplete());
    EXPECT_EQ(recorder.take(), Calls{"COMPLETE https://t.test/a/complete"});
    EXPECT_EQ(tracker->completedAdAccumulatedDuration(), 30.0);
    EXPECT_FALSE(tracker->currentTrackingCreative());
    EXPECT_TRUE(tracker->updateProgress(31.0));
    EXPECT_EQ(tracker->trackingStatus(), TrackingStatus::errored);
}

TEST(VastTrackerTests, JumpsSkipWindowsTheyNeverSaw) {
    Recorder recorder;
    auto tracker = makeTracker(linearAd("a", "00:00:30"), recorder);
    startPlayback(*tracker, "a", recorder);
    EXPECT_FALSE(tracker->updateProgress(7.0));
    EXPECT_FALSE(tracker->updateProgress(16.0));
    EXPECT_EQ(recorder.take(), Calls{"MIDPOINT https://t.test/a/midpoint"});

    // Exactly on the midpoint mark both windows are open: first quartile, then midpoint.
    auto exact = makeTracker(linearAd("b", "00:00:30"), recorder);
    startPlayback(*exact, "b", recorder);
    EXPECT_FALSE(exact->updateProgress(15.0));
    EXPECT_EQ(recorder.take(), (Calls{"FIRSTQUARTILE https://t.test/b/firstQuartile", "MIDPOINT https://t.test/b/midpoint"}));

    // Not a number fires nothing and breaks nothing.
    EXPECT_FALSE(exact->updateProgress(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_TRUE(recorder.take().empty());
}

TEST(VastTrackerTests, ShortCreativesPlayedToTheEndTrackEveryQuartileAndComplete) {
    // The player reports every 0.25 s; its last report comes 0.25 s before the end.
    for (const bool cumulative : {true, false}) {
        for (const char* duration : {"00:00:03", "00:00:02", "00:00:01", "00:00:03.5"}) {
            Recorder recorder;
            auto tracker = makeTracker(linearAd("s", duration), recorder, cumulative);
            startPlayback(*tracker, "s", recorder);
            const double end = tracker->currentTrackingCreative()->duration;
            for (double time = 0; time < end; time += 0.25) {
                ASSERT_FALSE(tracker->updateProgress(time));
            }
            EXPECT_FALSE(tracker->trackComplete()) << duration;
            EXPECT_EQ(recorder.take(), (Calls{"FIRSTQUARTILE https://t.test/s/firstQuartile", "MIDPOINT https://t.test/s/midpoint",
                                              "THIRDQUARTILE https://t.test/s/thirdQuartile", "COMPLETE https://t.test/s/complete"}))
                << duration << (cumulative ? " cumulative" : "");
        }
    }
    // A longer creative stopped before its third quartile still cannot complete.
    Recorder recorder;
    auto tracker = makeTracker(linearAd("l", "00:00:30"), recorder);
    startPlayback(*tracker, "l", recorder);
    for (double time = 0; time < 22.9; time += 0.25) {
        ASSERT_FALSE(tracker->updateProgress(time));
    }
    EXPECT_TRUE(tracker->trackComplete());
    EXPECT_EQ(recorder.take(), (Calls{"FIRSTQUARTILE https://t.test/l/firstQuartile", "MIDPOINT https://t.test/l/midpoint"}));
}

TEST(VastTrackerTests, QuartilesWaitForTheStartOfTheirCreative) {
    Recorder recorder;
    auto tracker = makeTracker(linearAd("s", "00:00:01"), recorder);
    ASSERT_FALSE(tracker->start("s"));
    EXPECT_FALSE(tracker->updateProgress(0.8));
    EXPECT_TRUE(recorder.take().empty());
    EXPECT_FALSE(tracker->trackStart());
    EXPECT_FALSE(tracker->updateProgress(0.9));
    EXPECT_FALSE(tracker->trackComplete());
    EXPECT_EQ(recorder.take(), (Calls{"START https://t.test/s/start", "CREATIVEVIEW https://t.test/s/creativeView",
                                      "IMPRESSIONS https://t.test/s/imp", "FIRSTQUARTILE https://t.test/s/firstQuartile",
                                      "MIDPOINT https://t.test/s/midpoint", "THIRDQUARTILE https://t.test/s/thirdQuartile",
                                      "COMPLETE https://t.test/s/complete"}));
}

TEST(VastTrackerTests, CumulativeTrackingReadsWholeSeconds) {
    // At 15.5 the first-quartile window (8 to 15) is still open in whole seconds; on the exact
    // time it has closed.
    Recorder recorder;
    for (const bool cumulative : {true, false}) {
        auto tracker = makeTracker(linearAd("b", "00:00:30"), recorder, cumulative);
        startPlayback(*tracker, "b", recorder);
        EXPECT_FALSE(tracker->updateProgress(15.5));
        EXPECT_EQ(recorder.take().size(), cumulative ? 2u : 1u);
    }
}

TEST(VastTrackerTests, PodCountsFromTheEndOfCompletedAds) {
    Recorder recorder;
    auto tracker = makeTracker(linearAd("a", "00:00:30", "", " sequence=\"1\"") +
                                   linearAd("b", "00:00:20", "", " sequence=\"2\""),
                               recorder);
    startPlayback(*tracker, "a", recorder);
    for (double t = 0; t <= 30.0; t += 1.0) {
        tracker->updateProgress(t);
    }
    ASSERT_FALSE(tracker->trackComplete());
    startPlayback(*tracker, "b", recorder);
    // Player time 35.6 is second 5 of the second ad (marks 5, 10, 15).
    EXPECT_FALSE(tracker->updateProgress(35.6));
    EXPECT_EQ(recorder.take(), Calls{"FIRSTQUARTILE https://t.test/b/firstQuartile"});
    EXPECT_FALSE(tracker->updateProgress(34.0));
    // Second 15 of the second ad closes the midpoint window and opens the third quartile's.
    EXPECT_FALSE(tracker->updateProgress(45.0));
    EXPECT_EQ(recorder.take(), (Calls{"MIDPOINT https://t.test/b/midpoint", "THIRDQUARTILE https://t.test/b/thirdQuartile"}));
}

TEST(VastTrackerTests, ProgressEventsFireOnceEachAtTheirOffsets) {
    Recorder recorder;
    // No offset, a fraction, whole seconds (1.0 and 0 are seconds), a clock time, two events
    // sharing one address, and percentages of the whole duration and beyond it.
    const std::string progress =
        "<Tracking event=\"progress\">https://t.test/p/none</Tracking>"
        "<Tracking event=\"progress\" offset=\"50%\">https://t.test/p/half</Tracking>"
        "<Tracking event=\"progress\" offset=\"1.0\">https://t.test/p/one</Tracking>"
        "<Tracking event=\"progress\" offset=\"0\">https://t.test/p/zero</Tracking>"
        "<Tracking event=\"progress\" offset=\"00:00:20\">https://t.test/p/shared</Tracking>"
        "<Tracking event=\"progress\" offset=\"00:00:40\">https://t.test/p/shared</Tracking>"
        "<Tracking event=\"progress\" offset=\"oops\">https://t.test/p/bad</Tracking>"
        "<Tracking event=\"progress\" offset=\"100%\">https://t.test/p/full</Tracking>"
        "<Tracking event=\"progress\" offset=\"150%\">https://t.test/p/over</Tracking>";
    auto tracker = makeTracker(linearAd("a", "00:00:30", progress), recorder);
    ASSERT_FALSE(tracker->start("a"));
    const std::vector<std::pair<double, std::string>> steps = {
        {0.5, "PROGRESS https://t.test/p/none https://t.test/p/zero https://t.test/p/bad"}, {0.9, ""},
        {1.0, "PROGRESS https://t.test/p/one"}, {14.9, ""}, {15.0, "PROGRESS https://t.test/p/half"},
        {20.0, "PROGRESS https://t.test/p/shared"}, {25.0, ""}, {29.9, ""}, {30.0, "PROGRESS https://t.test/p/full"},
        {41.0, "PROGRESS https://t.test/p/shared"},  // past the end of the creative, still fired
        {46.0, ""}};  // "150%" is never reached
    for (const auto& [time, expected] : steps) {
        EXPECT_FALSE(tracker->updateProgress(time));
        std::string fired;
        for (const auto& call : recorder.take()) {
            if (call.starts_with("PROGRESS ")) {
                fired = call;
            }
        }
        EXPECT_EQ(fired, expected) << time;
    }
}

TEST(VastTrackerTests, ErrorsPutTheCodeIntoTheMacro) {
    Recorder recorder;
    auto tracker = makeTracker(
        "<Ad id=\"e\"><InLine><Error>https://t.test/e?c=[ERRORCODE]&amp;x=%26y</Error>"
        "<Error>https://t.test/e2?c=%5BERRORCODE%5D</Error><Error>https://t.test/plain</Error>"
        "<Creatives><Creative><Linear><Duration>00:00:10</Duration></Linear></Creative></Creatives></InLine></Ad>",
        recorder);
    ASSERT_FALSE(tracker->start("e"));
    // The rest of each address stays as written: an encoded "&" is not turned into a separator.
    EXPECT_FALSE(tracker->trackError(VastErrorCodes::timeoutOfMediaFile));
    EXPECT_EQ(recorder.take(), Calls{"ERROR https://t.test/e?c=402&x=%26y https://t.test/e2?c=402 https://t.test/plain"});
    EXPECT_FALSE(tracker->trackError(std::nullopt));
    EXPECT_EQ(recorder.take(), Calls{"ERROR https://t.test/e?c=%5BERRORCODE%5D&x=%26y https://t.test/e2?c=%5BERRORCODE%5D "
                                     "https://t.test/plain"});
}

class ReleasingDelegate final : public VastTrackerDelegate {
public:
    std::shared_ptr<VastTracker> tracker;
    void vastTrackerDidTrackFirstQuartile(VastTracker&, const VastAd&) override { tracker.reset(); }
    void vastTrackerDidTrackMidpoint(VastTracker&, const VastAd&) override {}
    void vastTrackerDidTrackThirdQuartile(VastTracker&, const VastAd&) override {}
};

TEST(VastTrackerTests, DelegateMayReleaseTheTrackerWhileTold) {
    Recorder recorder;
    auto delegate = std::make_shared<ReleasingDelegate>();
    delegate->tracker = makeTracker(linearAd("a", "00:00:30"), recorder);
    delegate->tracker->setDelegate(delegate);
    startPlayback(*delegate->tracker, "a", recorder);
    VastTracker* raw = delegate->tracker.get();
    EXPECT_FALSE(raw->updateProgress(15.0));
    EXPECT_FALSE(delegate->tracker);
}

}  // namespace
}  // namespace solen
