#include "Ad/RenderEngine/Vast/Parser/VastTracker.h"

#include "Ad/RenderEngine/Vast/Parser/VastXMLParser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace solen {
namespace {

using platform::URL;

// One call of the sender: the label and the addresses.
struct Fired {
    std::string event;
    std::vector<std::string> urls;
    bool operator==(const Fired&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Fired& fired) {
    out << fired.event << " [";
    for (const auto& url : fired.urls) {
        out << url << " ";
    }
    return out << "]";
}

struct Recorder {
    std::vector<Fired> calls;
    VastTracker::TrackingUrlSender sender() {
        return [this](const std::vector<URL>& urls, const std::optional<std::string>& event) {
            Fired fired{event.value_or(""), {}};
            for (const auto& url : urls) {
                fired.urls.push_back(url.absoluteString());
            }
            calls.push_back(std::move(fired));
        };
    }
    // The calls that sent something, and clears the record.
    std::vector<Fired> take() {
        std::vector<Fired> sent;
        for (auto& call : calls) {
            if (!call.urls.empty()) {
                sent.push_back(std::move(call));
            }
        }
        calls.clear();
        return sent;
    }
};

VastModel parse(const std::string& xml) {
    auto result = VastXMLParser::create([](const std::vector<URL>&, const std::optional<std::string>&) {})->parse(xml);
    EXPECT_TRUE(result.ok()) << xml;
    return result.model.value_or(VastModel{});
}

// An inline ad with one linear creative of `duration` seconds whose addresses are
// https://t.test/<id>/<event>; `extra` goes into its TrackingEvents.
std::string linearAd(const std::string& id, const std::string& duration, const std::string& extra = "",
                     const std::string& attributes = "") {
    const std::string base = "https://t.test/" + id + "/";
    std::string events;
    for (const char* name : {"start", "creativeView", "firstQuartile", "midpoint", "thirdQuartile", "complete", "mute",
                             "unmute", "pause", "resume"}) {
        events += std::string("<Tracking event=\"") + name + "\">" + base + name + "</Tracking>";
    }
    return "<Ad id=\"" + id + "\"" + attributes + "><InLine><Impression>" + base + "imp</Impression><Impression/>" +
           "<Error>" + base + "err?c=[ERRORCODE]</Error><Creatives><Creative><Linear><Duration>" + duration +
           "</Duration><TrackingEvents>" + events + extra + "</TrackingEvents></Linear></Creative></Creatives>" +
           "</InLine></Ad>";
}

std::string vast(const std::string& ads) { return "<VAST version=\"4.0\">" + ads + "</VAST>"; }

std::shared_ptr<VastTracker> makeTracker(const std::string& xml, Recorder& recorder, bool cumulative = true) {
    return VastTracker::create(parse(xml), {}, 0.0, cumulative, recorder.sender());
}

class Delegate final : public VastTrackerDelegate {
public:
    std::vector<std::string> told;
    void vastTrackerDidTrackFirstQuartile(VastTracker&, const VastAd& ad) override { told.push_back("first " + ad.id); }
    void vastTrackerDidTrackMidpoint(VastTracker&, const VastAd& ad) override { told.push_back("mid " + ad.id); }
    void vastTrackerDidTrackThirdQuartile(VastTracker&, const VastAd& ad) override { told.push_back("third " + ad.id); }
};

TEST(TrackingCreativeTests, MarksAreRoundedUpToWholeSeconds) {
    VastLinearCreative linear;
    EXPECT_FALSE(TrackingCreative::make(linear, VastAd{}));
    struct Case {
        double duration, first, mid, third;
    };
    for (const Case c : {Case{30, 8, 15, 23}, Case{10.5, 3, 6, 8}, Case{60, 15, 30, 45}, Case{0, 0, 0, 0},
                         Case{1, 1, 1, 1}, Case{3, 1, 2, 3}}) {
        linear.duration = c.duration;
        const auto creative = TrackingCreative::make(linear, VastAd{});
        ASSERT_TRUE(creative);
        EXPECT_EQ(creative->duration, c.duration);
        EXPECT_EQ(creative->firstQuartile, c.first) << c.duration;
        EXPECT_EQ(creative->midpoint, c.mid) << c.duration;
        EXPECT_EQ(creative->thirdQuartile, c.third) << c.duration;
        EXPECT_FALSE(creative->trackedFirstQuartile || creative->trackedMidpoint || creative->trackedThirdQuartile);
    }
}

TEST(VastTrackerTests, ChoosesStandAlonePodAndBuffetAds) {
    Recorder recorder;
    const std::string nonLinear = "<Ad id=\"nl\" sequence=\"1\"><InLine><Creatives><Creative><NonLinearAds/></Creative>"
                                  "</Creatives></InLine></Ad>";
    // No sequence anywhere: only the first ad with a linear creative.
    auto standAlone = makeTracker(vast(linearAd("a", "00:00:30") + linearAd("b", "00:00:30")), recorder);
    EXPECT_EQ(standAlone->trackerModel().type, TrackerModelType::standAlone);
    EXPECT_EQ(standAlone->totalAds(), 1);
    EXPECT_EQ(standAlone->vastAds().at(0).id, "a");
    EXPECT_EQ(standAlone->trackingStatus(), TrackingStatus::tracking);
    EXPECT_FALSE(standAlone->currentTrackingCreative());
    EXPECT_EQ(standAlone->currentTime(), 0.0);

    // Every ad sequenced: the pod in ascending sequence, ties in document order, non-linear skipped.
    auto pod = makeTracker(vast(linearAd("c", "00:00:10", "", " sequence=\"2\"") + nonLinear +
                                linearAd("a", "00:00:10", "", " sequence=\"1\"") +
                                linearAd("b", "00:00:10", "", " sequence=\"2\"")),
                           recorder);
    EXPECT_EQ(pod->trackerModel().type, TrackerModelType::adPod);
    ASSERT_EQ(pod->totalAds(), 3);
    EXPECT_EQ(pod->vastAds()[0].id, "a");
    EXPECT_EQ(pod->vastAds()[1].id, "c");
    EXPECT_EQ(pod->vastAds()[2].id, "b");

    // Some sequenced: a buffet, tracked like a stand-alone ad.
    auto buffet = makeTracker(vast(nonLinear + linearAd("x", "00:00:10") + linearAd("y", "00:00:10", "", " sequence=\"1\"")),
                              recorder);
    EXPECT_EQ(buffet->trackerModel().type, TrackerModelType::adBuffet);
    ASSERT_EQ(buffet->totalAds(), 1);
    EXPECT_EQ(buffet->vastAds()[0].id, "x");

    EXPECT_EQ(makeTracker(vast(""), recorder)->totalAds(), 0);
    EXPECT_TRUE(recorder.take().empty());
}

TEST(VastTrackerTests, StartRefusesUnplayableAds) {
    Recorder recorder;
    const std::string companionFirst = "<Ad id=\"cf\" sequence=\"3\"><InLine><Creatives><Creative><CompanionAds/>"
                                       "</Creative><Creative><Linear><Duration>00:00:05</Duration></Linear></Creative>"
                                       "</Creatives></InLine></Ad>";
    auto tracker = makeTracker(vast(linearAd("zero", "00:00:10", "", " sequence=\"0\"") + companionFirst +
                                    linearAd("ok", "00:00:10", "", " sequence=\"1\"") +
                                    "<Ad id=\"nodur\" sequence=\"2\"><InLine><Creatives><Creative><Linear/></Creative>"
                                    "</Creatives></InLine></Ad>"),
                               recorder);
    for (const std::string id : {"unknown", "zero", "cf"}) {
        const auto error = tracker->start(id);
        ASSERT_TRUE(error) << id;
        EXPECT_EQ(std::get<TrackingError>(*error), TrackingError::noAdFound(id));
    }
    EXPECT_EQ(std::get<TrackingCreativeError>(*tracker->start("nodur")), TrackingCreativeError::noDurationInVastLinearCreative);
    EXPECT_FALSE(tracker->currentTrackingCreative());

    EXPECT_FALSE(tracker->start("ok"));
    EXPECT_EQ(tracker->currentTrackingCreative()->vastAd.id, "ok");
    // A failed start keeps the creative that was there.
    EXPECT_TRUE(tracker->start("unknown"));
    EXPECT_EQ(tracker->currentTrackingCreative()->vastAd.id, "ok");
}

TEST(VastTrackerTests, OperationsWithoutACreativeAndTheErroredState) {
    Recorder recorder;
    auto tracker = makeTracker(vast(linearAd("a", "00:00:30")), recorder);
    const auto noCreative = TrackingError::internalError("Unable to find current creative to track");
    EXPECT_EQ(tracker->trackStart(), noCreative);
    EXPECT_EQ(tracker->trackImpressions(), noCreative);
    EXPECT_EQ(tracker->trackMute(true), noCreative);
    EXPECT_EQ(tracker->trackError(VastErrorCodes::fileNotFound), noCreative);
    EXPECT_EQ(tracker->trackComplete(), noCreative);
    tracker->trackPause();
    tracker->trackResume();
    EXPECT_TRUE(recorder.calls.empty());

    EXPECT_EQ(tracker->updateProgress(4.0), noCreative);
    EXPECT_EQ(tracker->trackingStatus(), TrackingStatus::errored);
    EXPECT_EQ(tracker->currentTime(), 4.0);
    EXPECT_EQ(tracker->updateProgress(5.0),
              TrackingError::unableToUpdateProgress("Cannot update tracking progress.Status is errored"));
    EXPECT_EQ(tracker->currentTime(), 4.0);

    EXPECT_FALSE(tracker->start("a"));
    EXPECT_EQ(tracker->trackingStatus(), TrackingStatus::tracking);
    EXPECT_FALSE(tracker->updateProgress(5.0));
}

TEST(VastTrackerTests, StartFiresStartCreativeViewAndImpressionsEveryTime) {
    Recorder recorder;
    auto tracker = makeTracker(vast(linearAd("a", "00:00:30")), recorder);
    ASSERT_FALSE(tracker->start("a"));
    const std::vector<Fired> once = {{"START", {"https://t.test/a/start"}},
                                     {"CREATIVEVIEW", {"https://t.test/a/creativeView"}},
                                     {"IMPRESSIONS", {"https://t.test/a/imp"}}};
    EXPECT_FALSE(tracker->trackStart());
    EXPECT_EQ(recorder.calls, once);  // every label gets its call, the empty impression is skipped
    recorder.calls.clear();
    EXPECT_FALSE(tracker->trackStart());
    EXPECT_EQ(recorder.take(), once);
}

TEST(VastTrackerTests, QuartilesFireOnceInsideTheirWindows) {
    Recorder recorder;
    auto delegate = std::make_shared<Delegate>();
    auto tracker = makeTracker(vast(linearAd("a", "00:00:30")), recorder);
    tracker->setDelegate(delegate);
    ASSERT_FALSE(tracker->start("a"));

    struct Step {
        double time;
        std::vector<Fired> fired;
    };
    const std::vector<Step> steps = {
        {7.99, {}},
        {8.0, {{"FIRSTQUARTILE", {"https://t.test/a/firstQuartile"}}}},
        {9.0, {}},
        {15.2, {{"MIDPOINT", {"https://t.test/a/midpoint"}}}},
        {23.0, {{"THIRDQUARTILE", {"https://t.test/a/thirdQuartile"}}}},
        {29.9, {}},
        {30.0, {}},
    };
    for (const auto& step : steps) {
        EXPECT_FALSE(tracker->updateProgress(step.time));
        EXPECT_EQ(recorder.take(), step.fired) << step.time;
    }
    EXPECT_EQ(delegate->told, (std::vector<std::string>{"first a", "mid a", "third a"}));

    EXPECT_FALSE(tracker->trackComplete());
    EXPECT_EQ(recorder.take(), (std::vector<Fired>{{"COMPLETE", {"https://t.test/a/complete"}}}));
    EXPECT_EQ(tracker->completedAdAccumulatedDuration(), 30.0);
    EXPECT_FALSE(tracker->currentTrackingCreative());
    EXPECT_EQ(tracker->trackingStatus(), TrackingStatus::tracking);
    EXPECT_TRUE(tracker->updateProgress(31.0));
    EXPECT_EQ(tracker->trackingStatus(), TrackingStatus::errored);
}

TEST(VastTrackerTests, JumpsSkipWindowsTheyNeverSaw) {
    Recorder recorder;
    auto tracker = makeTracker(vast(linearAd("a", "00:00:30")), recorder);
    ASSERT_FALSE(tracker->start("a"));
    EXPECT_FALSE(tracker->updateProgress(7.0));
    EXPECT_FALSE(tracker->updateProgress(16.0));
    EXPECT_EQ(recorder.take(), (std::vector<Fired>{{"MIDPOINT", {"https://t.test/a/midpoint"}}}));
    EXPECT_FALSE(tracker->currentTrackingCreative()->trackedFirstQuartile);

    // Exactly on the midpoint mark both windows are open: first quartile, then midpoint.
    auto exact = makeTracker(vast(linearAd("b", "00:00:30")), recorder);
    ASSERT_FALSE(exact->start("b"));
    EXPECT_FALSE(exact->updateProgress(15.0));
    EXPECT_EQ(recorder.take(), (std::vector<Fired>{{"FIRSTQUARTILE", {"https://t.test/b/firstQuartile"}},
                                                   {"MIDPOINT", {"https://t.test/b/midpoint"}}}));

    // Not a number fires nothing and breaks nothing.
    EXPECT_FALSE(exact->updateProgress(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_TRUE(recorder.take().empty());
}

TEST(VastTrackerTests, CumulativeTrackingReadsWholeSeconds) {
    Recorder recorder;
    auto tracker = makeTracker(vast(linearAd("a", "00:00:03")), recorder);
    ASSERT_FALSE(tracker->start("a"));
    for (double t = 0; t <= 3.0; t += 0.25) {
        EXPECT_FALSE(tracker->updateProgress(t));
    }
    EXPECT_FALSE(tracker->currentTrackingCreative()->trackedThirdQuartile);
    EXPECT_TRUE(tracker->trackComplete());
    for (const auto& call : recorder.calls) {
        EXPECT_NE(call.event, "COMPLETE");
    }

    // Cumulative tracking reads whole seconds: at 15.5 the first-quartile window (8 to 15) is
    // still open; on the exact time it has closed.
    Recorder whole;
    auto cumulative = makeTracker(vast(linearAd("b", "00:00:30")), whole, true);
    ASSERT_FALSE(cumulative->start("b"));
    EXPECT_FALSE(cumulative->updateProgress(15.5));
    EXPECT_EQ(whole.take(), (std::vector<Fired>{{"FIRSTQUARTILE", {"https://t.test/b/firstQuartile"}},
                                                {"MIDPOINT", {"https://t.test/b/midpoint"}}}));
    Recorder exact;
    auto plain = makeTracker(vast(linearAd("b", "00:00:30")), exact, false);
    ASSERT_FALSE(plain->start("b"));
    EXPECT_FALSE(plain->updateProgress(15.5));
    EXPECT_EQ(exact.take(), (std::vector<Fired>{{"MIDPOINT", {"https://t.test/b/midpoint"}}}));
}

TEST(VastTrackerTests, PodCountsFromTheEndOfCompletedAds) {
    Recorder recorder;
    auto tracker = makeTracker(vast(linearAd("a", "00:00:30", "", " sequence=\"1\"") +
                                    linearAd("b", "00:00:20", "", " sequence=\"2\"")),
                               recorder);
    ASSERT_FALSE(tracker->start("a"));
    for (double t = 0; t <= 30.0; t += 1.0) {
        tracker->updateProgress(t);
    }
    ASSERT_FALSE(tracker->trackComplete());
    ASSERT_FALSE(tracker->start("b"));
    recorder.calls.clear();
    // Player time 35.6 is second 5 of the second ad (marks 5, 10, 15).
    EXPECT_FALSE(tracker->updateProgress(35.6));
    EXPECT_EQ(recorder.take(), (std::vector<Fired>{{"FIRSTQUARTILE", {"https://t.test/b/firstQuartile"}}}));
    EXPECT_FALSE(tracker->updateProgress(34.0));
    // Second 15 of the second ad closes the midpoint window and opens the third quartile's.
    EXPECT_FALSE(tracker->updateProgress(45.0));
    EXPECT_EQ(recorder.take(), (std::vector<Fired>{{"MIDPOINT", {"https://t.test/b/midpoint"}},
                                                   {"THIRDQUARTILE", {"https://t.test/b/thirdQuartile"}}}));
}

TEST(VastTrackerTests, ProgressEventsFireOnceEachAtTheirOffsets) {
    Recorder recorder;
    // No offset, a fraction, whole seconds (1.0 and 0 are seconds), a clock time, and two events
    // sharing one address.
    const std::string progress =
        "<Tracking event=\"progress\">https://t.test/p/none</Tracking>"
        "<Tracking event=\"progress\" offset=\"50%\">https://t.test/p/half</Tracking>"
        "<Tracking event=\"progress\" offset=\"1.0\">https://t.test/p/one</Tracking>"
        "<Tracking event=\"progress\" offset=\"0\">https://t.test/p/zero</Tracking>"
        "<Tracking event=\"progress\" offset=\"00:00:20\">https://t.test/p/shared</Tracking>"
        "<Tracking event=\"progress\" offset=\"00:00:40\">https://t.test/p/shared</Tracking>"
        "<Tracking event=\"progress\" offset=\"oops\">https://t.test/p/bad</Tracking>";
    auto tracker = makeTracker(vast(linearAd("a", "00:00:30", progress)), recorder);
    ASSERT_FALSE(tracker->start("a"));

    struct Step {
        double time;
        std::vector<std::string> progress;
    };
    const std::vector<Step> steps = {
        {0.5, {"https://t.test/p/none", "https://t.test/p/zero", "https://t.test/p/bad"}},
        {0.9, {}},
        {1.0, {"https://t.test/p/one"}},
        {14.9, {}},
        {15.0, {"https://t.test/p/half"}},
        {20.0, {"https://t.test/p/shared"}},
        {25.0, {}},
        {41.0, {"https://t.test/p/shared"}},  // past the end of the creative, still fired
        {42.0, {}},
    };
    for (const auto& step : steps) {
        EXPECT_FALSE(tracker->updateProgress(step.time));
        std::vector<std::string> fired;
        for (const auto& call : recorder.take()) {
            if (call.event == "PROGRESS") {
                fired = call.urls;
            }
        }
        EXPECT_EQ(fired, step.progress) << step.time;
    }
}

TEST(VastTrackerTests, SoundPauseAndResumeFireTheirEvents) {
    Recorder recorder;
    auto tracker = makeTracker(vast(linearAd("a", "00:00:30")), recorder);
    ASSERT_FALSE(tracker->start("a"));
    EXPECT_FALSE(tracker->trackMute(true));
    EXPECT_FALSE(tracker->trackMute(false));
    tracker->trackPause();
    tracker->trackResume();
    EXPECT_EQ(recorder.take(), (std::vector<Fired>{{"MUTE", {"https://t.test/a/mute"}},
                                                   {"UNMUTE", {"https://t.test/a/unmute"}},
                                                   {"PAUSE", {"https://t.test/a/pause"}},
                                                   {"RESUME", {"https://t.test/a/resume"}}}));
}

TEST(VastTrackerTests, ErrorsPutTheCodeIntoTheMacro) {
    Recorder recorder;
    const std::string ad =
        "<Ad id=\"e\"><InLine><Error>https://t.test/e?c=[ERRORCODE]&amp;x=%26y</Error>"
        "<Error>https://t.test/e2?c=%5BERRORCODE%5D</Error><Error>https://t.test/plain</Error>"
        "<Creatives><Creative><Linear><Duration>00:00:10</Duration></Linear></Creative></Creatives></InLine></Ad>";
    auto tracker = makeTracker(vast(ad), recorder);
    ASSERT_FALSE(tracker->start("e"));

    EXPECT_FALSE(tracker->trackError(VastErrorCodes::timeoutOfMediaFile));
    // The rest of each address stays as written: an encoded "&" in a value is not turned into a
    // separator.
    EXPECT_EQ(recorder.take(), (std::vector<Fired>{{"ERROR",
                                                    {"https://t.test/e?c=402&x=%26y", "https://t.test/e2?c=402",
                                                     "https://t.test/plain"}}}));
    EXPECT_FALSE(tracker->trackError(std::nullopt));
    EXPECT_EQ(recorder.take(), (std::vector<Fired>{{"ERROR",
                                                    {"https://t.test/e?c=%5BERRORCODE%5D&x=%26y",
                                                     "https://t.test/e2?c=%5BERRORCODE%5D", "https://t.test/plain"}}}));
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
    delegate->tracker = makeTracker(vast(linearAd("a", "00:00:30")), recorder);
    delegate->tracker->setDelegate(delegate);
    ASSERT_FALSE(delegate->tracker->start("a"));
    VastTracker* raw = delegate->tracker.get();
    EXPECT_FALSE(raw->updateProgress(15.0));
    EXPECT_FALSE(delegate->tracker);
}

}  // namespace
}  // namespace solen
