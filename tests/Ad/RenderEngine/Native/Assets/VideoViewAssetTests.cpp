#include "Ad/RenderEngine/Native/Assets/VideoView/VideoViewAsset.h"

#include "Platform/Device/NetworkReachability.h"
#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Foundation/ResourceBundle.h"
#include "Platform/UI/LayoutConstraint.h"
#include "support/DispatchWait.h"
#include "support/MainLoopPump.h"
#include "support/ScopedApplication.h"
#include "support/ScopedManualClock.h"
#include "support/ScriptedMediaFactsSource.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace solen {
namespace {

using platform::URL;
using test::ScriptedMediaFactsSource;
using Journal = std::vector<std::string>;

const std::string kMedia = "https://media.test/ad.mp4";

// The asset's three delegates and its tracking sender, writing into one journal so that the
// order across tracking and video events is visible: "LABEL url ..." for each send that has
// addresses, "event <n>" for video events, "loaded", "failed <code>", "tapped <url>".
class Witness final : public NativeAssetInteractionDelegate,
                      public NativeAssetLoadDelegate,
                      public VideoAssetEventDelegate {
public:
    void assetLoadedSuccessfully(const std::shared_ptr<NativeAsset>&) override { journal.push_back("loaded"); }
    void assetLoadFailed(const std::shared_ptr<NativeAsset>& asset, const platform::Error& error) override {
        journal.push_back("failed " + std::to_string(error.code));
        lastError = error;
        EXPECT_EQ(asset->assetState(), NativeAssetState::failed);
    }
    void assetTapped(const std::shared_ptr<NativeAsset>&, const std::optional<AssetOnClick>& onClick) override {
        journal.push_back("tapped " + (onClick ? onClick->url : std::string("none")));
    }
    void videoAssetEventOccurred(VideoEvent event) override {
        journal.push_back("event " + std::to_string(static_cast<int>(event)));
    }
    VastTracker::TrackingUrlSender sender() {
        return [this](const std::vector<URL>& urls, const std::optional<std::string>& event) {
            std::string call = event.value_or("");
            for (const auto& url : urls) call += " " + url.absoluteString();
            if (!urls.empty()) journal.push_back(call);
        };
    }
    // The journal's entries that start with `prefix`.
    Journal with(const std::string& prefix) const {
        Journal found;
        for (const auto& entry : journal) {
            if (entry.rfind(prefix, 0) == 0) found.push_back(entry);
        }
        return found;
    }

    Journal journal;
    std::optional<platform::Error> lastError;
};

std::string event(VideoEvent value) { return "event " + std::to_string(static_cast<int>(value)); }

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

// An inline ad "a" whose addresses are https://t.test/<event>. `linear` is the inside of its
// Linear element; without it the ad's only creative is non-linear.
std::string inlineAd(const std::optional<std::string>& linear) {
    const std::string creative = linear ? "<Linear>" + *linear + "</Linear>"
                                        : "<NonLinearAds><NonLinear width=\"300\" height=\"50\"/></NonLinearAds>";
    return "<VAST version=\"4.2\"><Ad id=\"a\"><InLine><Error>https://t.test/error?c=[ERRORCODE]</Error>"
           "<Impression>https://t.test/imp</Impression><Creatives><Creative>" +
           creative + "</Creative></Creatives></InLine></Ad></VAST>";
}

std::string trackingEvents(int count = 0) {
    std::string events;
    for (const char* name : {"start", "creativeView", "firstQuartile", "midpoint", "thirdQuartile", "complete",
                             "mute", "unmute", "pause", "resume"}) {
        events += std::string("<Tracking event=\"") + name + "\">https://t.test/" + name + "</Tracking>";
    }
    events += "<Tracking event=\"progress\" offset=\"00:00:05\">https://t.test/p5</Tracking>";
    for (int i = 0; i < count; ++i) {
        events += "<Tracking event=\"progress\" offset=\"" + std::to_string(i % 100) + "%\">https://t.test/n</Tracking>";
    }
    return "<TrackingEvents>" + events + "</TrackingEvents>";
}

std::string mediaFiles(const std::string& url = kMedia) {
    return "<MediaFiles><MediaFile delivery=\"progressive\" type=\"video/mp4\" width=\"640\" height=\"360\">" + url +
           "</MediaFile></MediaFiles>";
}

std::string playable(const std::string& duration = "00:00:30", const std::string& clicks = "", int extraEvents = 0) {
    return inlineAd("<Duration>" + duration + "</Duration>" + trackingEvents(extraEvents) + clicks + mediaFiles());
}

class VideoViewAssetTest : public ::testing::Test {
protected:
    void SetUp() override {
        loop().runUntilIdle();
        platform::NetworkReachability::setProvider([] { return platform::NetworkReachability::reachable; });
        source->script(kMedia, ScriptedMediaFactsSource::video(30.0), 0.1);
        window = app.showKeyWindow(platform::Rect{0, 0, 320, 480});
    }
    void TearDown() override {
        for (const auto& asset : assets) asset->removeFromSuperview();
        assets.clear();
        window.reset();
        ASSERT_TRUE(test::settle());
        platform::NetworkReachability::setProvider({});
    }
    static platform::MainLoop& loop() { return platform::MainLoop::shared(); }
    void run(double seconds) { test::advanceAndPump(clock, seconds, 0.01); }

    std::shared_ptr<VideoViewAsset> make(std::string xml, bool mute = false, bool autoPlay = true,
                                         std::shared_ptr<VastDocumentFetcher> fetcher = nullptr) {
        MediaAssetVideoContentModel model{true, std::move(xml), std::nullopt, {mute, autoPlay}};
        auto asset = VideoViewAsset::create("media", std::move(model), witness, platform::Rect{0, 0, 320, 180},
                                            {std::move(fetcher), witness->sender(), source});
        window->addSubview(asset);
        assets.push_back(asset);
        return asset;
    }
    // Loads and waits for the parse result to be handled (player built or failure reported).
    void load(VideoViewAsset& asset) {
        asset.loadAsset();
        EXPECT_EQ(asset.assetState(), NativeAssetState::loading);
        ASSERT_TRUE(test::waitUntil([&] { return asset.videoPlayer() || asset.assetState() == NativeAssetState::failed; }));
    }

    test::ScopedManualClock clock;
    test::ScopedApplication app;
    std::shared_ptr<ScriptedMediaFactsSource> source = ScriptedMediaFactsSource::create();
    std::shared_ptr<Witness> witness = std::make_shared<Witness>();
    std::shared_ptr<platform::Window> window;
    std::vector<std::shared_ptr<VideoViewAsset>> assets;
};

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
        {"non-linear only", inlineAd(std::nullopt), 200, {}},
        {"companion only",
         "<VAST version=\"4.2\"><Ad id=\"a\"><InLine><Creatives><Creative><CompanionAds><Companion width=\"300\"/>"
         "</CompanionAds></Creative></Creatives></InLine></Ad></VAST>",
         200, {}},
        {"no media URL, with duration", inlineAd("<Duration>00:00:30</Duration>" + mediaFiles("")), 401, fired401},
        {"no media URL, no duration", inlineAd(mediaFiles("")), 401, {}},
        {"media never loads", inlineAd("<Duration>00:00:30</Duration>" + mediaFiles("https://media.test/404.mp4")),
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

TEST_F(VideoViewAssetTest, ALinearWithoutDurationPlaysAndReportsWithoutTracking) {
    auto asset = make(inlineAd(trackingEvents() + mediaFiles()), false, true);
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

    // A second load replaces the player view instead of stacking another one.
    load(*asset);
    EXPECT_NE(asset->videoPlayer(), first);
    EXPECT_EQ(asset->subviews(), (std::vector<std::shared_ptr<platform::View>>{asset->videoPlayer()}));
    EXPECT_FALSE(first->superview());
}

}  // namespace
}  // namespace solen
