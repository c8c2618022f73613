#include "Platform/Foundation/ResourceBundle.h"
#include "Platform/UI/LayoutConstraint.h"
#include "support/VideoAssetFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace solen {
namespace {

using platform::URL;
using namespace test;

// Serves nothing: each fetch waits until the test opens the gate (or its own time runs out).
class GatedFetcher final : public VastDocumentFetcher {
public:
    std::optional<std::string> fetch(const URL&, platform::Clock::Duration) override {
        fetches.fetch_add(1);
        while (!open.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return std::nullopt;
    }
    std::atomic<int> fetches{0};
    std::atomic<bool> open{false};
};

using VideoViewAssetTest = VideoAssetTest;

TEST_F(VideoViewAssetTest, EveryFailureEndsFailedWithItsCodeAndFiresErrorUrlsOnlyForAStartedAd) {
    struct Case {
        std::string name;
        std::string xml;
        std::int64_t code;
        Journal errorsFired;
    };
    const Journal fired401{"ERROR https://t.test/error?c=401"};
    const Journal fired402{"ERROR https://t.test/error?c=402"};
    const std::vector<Case> cases{
        {"not XML", "just some text", 100, {}},
        {"malformed XML", "<VAST version=\"4.2\"><Ad id=\"a\"><InLine>", 100, {}},
        {"XML that is not VAST", "<html><body/></html>", 101, {}},
        {"no ads", "<VAST version=\"4.2\"></VAST>", 200, {}},
        {"non-linear only", vast(inlineAd(std::nullopt)), 200, {}},
        {"companion only",
         "<VAST version=\"4.2\"><Ad id=\"a\"><InLine><Creatives><Creative><CompanionAds><Companion width=\"300\"/>"
         "</CompanionAds></Creative></Creatives></InLine></Ad></VAST>",
         200, {}},
        {"no media URL, with duration", vast(inlineAd("<Duration>00:00:30</Duration>" + mediaFiles(""))), 401, fired401},
        {"no media URL, no duration", vast(inlineAd(mediaFiles(""))), 401, {}},
        {"media never loads",
         vast(inlineAd("<Duration>00:00:30</Duration>" + mediaFiles("https://media.test/404.mp4"))),
         402, fired402},
    };
    for (const Case& test : cases) {
        witness->journal.clear();
        auto asset = make(test.xml);
        load(*asset);
        run(0.5);
        EXPECT_EQ(asset->assetState(), NativeAssetState::failed) << test.name;
        EXPECT_EQ(witness->with("failed"), Journal{"failed " + std::to_string(test.code)}) << test.name;
        EXPECT_EQ(witness->with("ERROR"), test.errorsFired) << test.name;
        ASSERT_TRUE(witness->lastError) << test.name;
        EXPECT_EQ(witness->lastError->domain, "Solen.VastErrorCodes");
        EXPECT_EQ(witness->lastError->localizedDescription, "VastErrorCodes error " + std::to_string(test.code));
    }

    // A player failure after a successful load: reported after the success, state failed.
    witness->journal.clear();
    auto asset = make(playable());
    load(*asset);
    run(0.5);
    ASSERT_EQ(asset->assetState(), NativeAssetState::loaded);
    asset->player(*asset->videoPlayer(), std::nullopt);
    EXPECT_EQ(asset->assetState(), NativeAssetState::failed);
    EXPECT_EQ(witness->with("failed"), Journal{"failed 402"});
    EXPECT_EQ(witness->with("ERROR"), fired402);
    EXPECT_EQ(witness->with("loaded"), Journal{"loaded"});
}

TEST_F(VideoViewAssetTest, TimeLimitGives301AndAReleasedAssetDropsItsParse) {
    const std::string wrapper =
        "<VAST version=\"4.2\"><Ad id=\"w\"><Wrapper><VASTAdTagURI>https://ads.test/next</VASTAdTagURI>"
        "<Error>https://t.test/werror?c=[ERRORCODE]</Error></Wrapper></Ad></VAST>";
    auto fetcher = std::make_shared<GatedFetcher>();
    auto asset = make(wrapper, false, true, fetcher);
    asset->loadAsset();
    ASSERT_TRUE(test::waitUntil([&] { return fetcher->fetches.load() > 0; }));
    test::advanceAndPump(clock, 9.9, 0.1);
    EXPECT_EQ(asset->assetState(), NativeAssetState::loading);
    test::advanceAndPump(clock, 0.2, 0.1);
    EXPECT_EQ(asset->assetState(), NativeAssetState::failed);
    EXPECT_EQ(witness->journal, Journal{"failed 301"});
    fetcher->open = true;
    ASSERT_TRUE(test::settle());

    // Released while its parse runs: nothing is reported, nothing is kept alive.
    witness->journal.clear();
    fetcher->open = false;
    std::weak_ptr<VideoViewAsset> released = make(wrapper, false, true, fetcher);
    released.lock()->loadAsset();
    ASSERT_TRUE(test::waitUntil([&] { return fetcher->fetches.load() > 1; }));
    released.lock()->removeFromSuperview();
    assets.pop_back();
    EXPECT_TRUE(released.expired());
    fetcher->open = true;
    test::advanceAndPump(clock, 11, 0.5);
    ASSERT_TRUE(test::settle());
    EXPECT_TRUE(witness->journal.empty());
}

TEST_F(VideoViewAssetTest, ClickTargetTakesTheLastClickThroughWithItsTrackers) {
    struct Case {
        std::string clicks;
        std::optional<AssetOnClick> expected;
    };
    using Trackers = std::vector<std::string>;
    const auto through = [](const std::string& url, Trackers trackers) {
        return std::optional<AssetOnClick>(AssetOnClick{url, OpenModeType::inAppBrowser, std::move(trackers)});
    };
    const std::vector<Case> cases{
        {"<ClickThrough>https://land.test/1</ClickThrough><ClickTracking>https://t.test/c1</ClickTracking>"
         "<CustomClick>https://t.test/custom</CustomClick><ClickThrough>myapp://deep/2</ClickThrough>"
         "<ClickTracking>https://t.test/c2</ClickTracking><ClickTracking></ClickTracking>",
         through("myapp://deep/2", {"https://t.test/c1", "https://t.test/c2"})},
        {"<ClickThrough>https://land.test/1</ClickThrough>", through("https://land.test/1", {})},
        {"<ClickTracking>https://t.test/c1</ClickTracking>", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& test : cases) {
        auto asset = make(playable("00:00:30", "<VideoClicks>" + test.clicks + "</VideoClicks>"));
        load(*asset);
        EXPECT_EQ(asset->videoAssetOnClick(), test.expected) << test.clicks;
        witness->journal.clear();
        asset->playerDidReceiveTap(*asset->videoPlayer());
        EXPECT_EQ(witness->journal, Journal{"tapped " + (test.expected ? test.expected->url : "none")});
    }
}

TEST_F(VideoViewAssetTest, ThirtySecondAdPlaysToItsEndWithTrackingInOrder) {
    auto asset = make(playable(), true, true);
    load(*asset);
    // The player fills the asset at the next layout pass.
    const auto& player = asset->videoPlayer();
    EXPECT_EQ(platform::LayoutConstraint::constraints(*player).size(), 6u);
    EXPECT_FALSE(platform::LayoutConstraint::translatesAutoresizingMaskIntoConstraints(*player));
    asset->setFrame(platform::Rect{0, 0, 300, 200});
    asset->layoutIfNeeded();
    EXPECT_EQ(player->frame(), asset->bounds());
    EXPECT_TRUE(player->avplayer()->isMuted());

    run(10.0);
    player->setVideoPausedByUser(true);
    player->pause();
    run(1.0);
    player->setVideoPausedByUser(false);
    player->activatePlayback();
    run(21.0);

    // Setup tracks the initial mute; the attach step's pause is an event only; no pause or resume
    // is tracked before the start, the user's pair is tracked once each, and the pauses that end
    // the item come after the completion and are events only.
    const std::string pause = event(VideoEvent::pause);
    const Journal expected{
        "MUTE https://t.test/mute", event(VideoEvent::mute), pause, "loaded",
        "START https://t.test/start", "CREATIVEVIEW https://t.test/creativeView", "IMPRESSIONS https://t.test/imp",
        event(VideoEvent::start), "PROGRESS https://t.test/p5",
        event(VideoEvent::firstQuartile), "FIRSTQUARTILE https://t.test/firstQuartile",
        "PAUSE https://t.test/pause", pause, "RESUME https://t.test/resume",
        "MIDPOINT https://t.test/midpoint", event(VideoEvent::midpoint),
        event(VideoEvent::thirdQuartile), "THIRDQUARTILE https://t.test/thirdQuartile",
        "COMPLETE https://t.test/complete", event(VideoEvent::complete), pause, pause,
    };
    EXPECT_EQ(witness->journal, expected);
    EXPECT_FLOAT_EQ(asset->videoProgressBar()->progress(), 1.0f);
    EXPECT_TRUE(asset->videoProgressBar()->lastChangeAnimated());
}

TEST_F(VideoViewAssetTest, QuartilesAreSentAtTheirMarksAfterTheStartAndBeforeTheCompletion) {
    // Marks: whole seconds that lie before the end, else the exact share of the duration.
    struct Case {
        double seconds;
        std::string duration;
        double first, midpoint, third;
    };
    const std::vector<Case> cases{
        {1, "00:00:01", 0.25, 0.5, 0.75}, {2, "00:00:02", 1, 1, 1.5},  {3, "00:00:03", 1, 2, 2.25},
        {10, "00:00:10", 3, 5, 8},        {30, "00:00:30", 8, 15, 23},
    };
    const Journal order{"START", "CREATIVEVIEW", "IMPRESSIONS", "FIRSTQUARTILE", "MIDPOINT", "THIRDQUARTILE", "COMPLETE"};
    for (const Case& test : cases) {
        source->script(kMedia, ScriptedMediaFactsSource::video(test.seconds), 0.1);
        witness->journal.clear();
        auto asset = make(playable(test.duration));
        load(*asset);
        // Play in ticks of 10 ms, noting the play head at each send of the addresses above.
        Journal sent;
        std::map<std::string, double> sentAt;
        std::size_t seen = 0;
        for (int tick = 0; tick < static_cast<int>(test.seconds * 100) + 100; ++tick) {
            run(0.01);
            for (; seen < witness->journal.size(); ++seen) {
                const std::string label = witness->journal[seen].substr(0, witness->journal[seen].find(' '));
                if (std::find(order.begin(), order.end(), label) != order.end()) {
                    sent.push_back(label);
                    sentAt[label] = asset->videoPlayer()->avplayer()->currentTime().seconds();
                }
            }
        }
        EXPECT_EQ(sent, order) << test.duration;
        const std::vector<std::tuple<std::string, double, double>> marks{
            {"FIRSTQUARTILE", test.first, 0.25}, {"MIDPOINT", test.midpoint, 0.5}, {"THIRDQUARTILE", test.third, 0.75}};
        for (const auto& [label, mark, share] : marks) {
            EXPECT_GE(sentAt[label], mark - 1e-9) << test.duration << " " << label;
            EXPECT_GE(sentAt[label], share * test.seconds - 1e-9) << test.duration << " " << label;
            EXPECT_LT(sentAt[label], mark + 0.015) << test.duration << " " << label;  // at the first tick there
        }
    }
}

TEST_F(VideoViewAssetTest, PlaybackThatBreaksOffAfterTheFirstSecondReports402Once) {
    // The media download stalls after the first second and gives up; or playback breaks off.
    platform::MediaFacts stalled = ScriptedMediaFactsSource::video(30.0);
    stalled.stalls.push_back({1.0, 2.0, true});
    platform::MediaFacts broken = ScriptedMediaFactsSource::video(30.0);
    broken.failsAtSeconds = 1.5;
    for (const auto& facts : {stalled, broken}) {
        source->script(kMedia, facts, 0.1);
        witness->journal.clear();
        auto asset = make(playable());
        load(*asset);
        run(6.0);
        EXPECT_EQ(asset->assetState(), NativeAssetState::failed);
        EXPECT_EQ(asset->videoPlayer()->playbackState(), Player::PlaybackState::failed);
        EXPECT_EQ(witness->with("loaded"), Journal{"loaded"});
        EXPECT_EQ(witness->with("failed"), Journal{"failed 402"});
        EXPECT_EQ(witness->with("ERROR"), Journal{"ERROR https://t.test/error?c=402"});
        // Reported after the start, where playback broke off.
        const auto at = [&](const std::string& entry) {
            return std::find(witness->journal.begin(), witness->journal.end(), entry) - witness->journal.begin();
        };
        EXPECT_LT(at("START https://t.test/start"), at("failed 402"));
        EXPECT_TRUE(witness->with("FIRSTQUARTILE").empty());
    }
}

TEST_F(VideoViewAssetTest, ALinearWithoutDurationPlaysAndReportsWithoutTracking) {
    auto asset = make(vast(inlineAd(trackingEvents() + mediaFiles())), false, true);
    load(*asset);
    run(31.0);
    EXPECT_EQ(asset->assetState(), NativeAssetState::loaded);
    EXPECT_EQ(witness->with("event"), (Journal{event(VideoEvent::unmute), event(VideoEvent::pause),
                                               event(VideoEvent::start), event(VideoEvent::firstQuartile),
                                               event(VideoEvent::midpoint), event(VideoEvent::thirdQuartile),
                                               event(VideoEvent::complete), event(VideoEvent::pause),
                                               event(VideoEvent::pause)}));
    Journal sent;
    for (const auto& entry : witness->journal) {
        if (entry.find(" https://") != std::string::npos) sent.push_back(entry);
    }
    EXPECT_TRUE(sent.empty()) << ::testing::PrintToString(sent);
}

TEST_F(VideoViewAssetTest, RepeatedReadinessThumbnailsAndASecondLoad) {
    auto asset = make(playable("00:00:30", "<VideoClicks><ClickThrough>https://land.test/</ClickThrough></VideoClicks>",
                               10000),
                      false, false);
    load(*asset);
    run(0.5);
    const std::shared_ptr<Player> first = asset->videoPlayer();
    EXPECT_EQ(first->rate(), 0.0f);
    asset->playerReady(*first);
    EXPECT_EQ(witness->with("loaded"), (Journal{"loaded", "loaded"}));

    // Each thumbnail replaces the last and carries the video's click target; no image keeps it.
    const platform::Image picture = *platform::ResourceBundle::image("sol_Play");
    asset->thumbnailReceived(picture);
    const auto thumbnail = asset->videoThumbnailImageView();
    ASSERT_TRUE(thumbnail);
    asset->thumbnailReceived(picture);
    EXPECT_NE(asset->videoThumbnailImageView(), thumbnail);
    asset->thumbnailReceived(std::nullopt);
    ASSERT_TRUE(asset->videoThumbnailImageView());
    EXPECT_EQ(asset->videoThumbnailImageView()->assetState(), NativeAssetState::loaded);
    EXPECT_EQ(asset->videoThumbnailImageView()->model()->onClick->url, "https://land.test/");

    // A second load replaces the player view and the control bar instead of stacking more.
    load(*asset);
    EXPECT_NE(asset->videoPlayer(), first);
    EXPECT_EQ(asset->subviews(),
              (std::vector<std::shared_ptr<platform::View>>{asset->videoPlayer(), asset->videoControlStackView()}));
    EXPECT_FALSE(first->superview());
}

}  // namespace
}  // namespace solen
