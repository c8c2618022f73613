// The video asset end to end: a VAST inline document whose media file is the committed clip,
// served over loopback, read by the media module and played on the system clock; and a 30 s ad
// on the manual clock whose companion picture comes over loopback.

#include "Ad/RenderEngine/Native/Assets/VideoView/VideoViewAsset.h"

#include "Platform/Dispatch/MainLoop.h"
#include "Platform/UI/TapDriver.h"
#include "support/LocalHttpServer.h"
#include "support/ScopedApplication.h"
#include "support/ServedMediaClip.h"
#include "support/VideoAssetFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

namespace solen {
namespace {

class Events final : public NativeAssetInteractionDelegate,
                     public NativeAssetLoadDelegate,
                     public VideoAssetEventDelegate {
public:
    void assetLoadedSuccessfully(const std::shared_ptr<NativeAsset>&) override { journal.push_back("loaded"); }
    void assetLoadFailed(const std::shared_ptr<NativeAsset>&, const platform::Error& error) override {
        journal.push_back("failed " + std::to_string(error.code));
    }
    void assetTapped(const std::shared_ptr<NativeAsset>&, const std::optional<AssetOnClick>&) override {}
    void videoAssetEventOccurred(VideoEvent event) override { videoEvents.push_back(event); }
    std::vector<std::string> journal;
    std::vector<VideoEvent> videoEvents;
};

TEST(VideoViewAssetPlayback, PlaysTheServedClipOfAnInlineAdToCompletion) {
    test::ServedMediaClip clip("clip.mp4");

    std::vector<std::string> tracked;
    VastTracker::TrackingUrlSender sender = [&tracked](const std::vector<platform::URL>& urls,
                                                       const std::optional<std::string>& event) {
        if (!urls.empty()) tracked.push_back(event.value_or(""));
    };
    const std::string xml =
        "<VAST version=\"4.2\"><Ad id=\"clip\"><InLine><Impression>https://t.test/imp</Impression><Creatives>"
        "<Creative><Linear><Duration>00:00:02</Duration><TrackingEvents>"
        "<Tracking event=\"start\">https://t.test/start</Tracking>"
        "<Tracking event=\"complete\">https://t.test/complete</Tracking></TrackingEvents>"
        "<MediaFiles><MediaFile delivery=\"progressive\" type=\"video/mp4\" width=\"96\" height=\"64\">" +
        clip.server.url("/clip.mp4") + "</MediaFile></MediaFiles></Linear></Creative></Creatives></InLine></Ad></VAST>";

    test::ScopedApplication app;
    auto window = app.showKeyWindow();
    auto events = std::make_shared<Events>();
    auto asset = VideoViewAsset::create("media", MediaAssetVideoContentModel{true, xml, std::nullopt, {false, true}},
                                        events, platform::Rect{0, 0, 96, 64}, {nullptr, sender, clip.source});
    window->addSubview(asset);
    asset->loadAsset();

    const bool completed = platform::MainLoop::shared().runUntil(
        [&] {
            return std::find(events->videoEvents.begin(), events->videoEvents.end(), VideoEvent::complete) !=
                   events->videoEvents.end();
        },
        std::chrono::seconds(20));
    ASSERT_TRUE(completed) << ::testing::PrintToString(events->journal);
    EXPECT_EQ(events->journal, std::vector<std::string>{"loaded"});
    EXPECT_EQ(tracked, (std::vector<std::string>{"START", "IMPRESSIONS", "COMPLETE"}));
    EXPECT_EQ(asset->assetState(), NativeAssetState::loaded);
    asset->removeFromSuperview();
    platform::MainLoop::shared().runUntilIdle();
}

using VideoAssetEndCard = test::VideoAssetTest;

TEST_F(VideoAssetEndCard, ThirtySecondAdEndsWithItsServedCompanionWhoseTapGoesUp) {
    using namespace std::string_literals;
    test::LocalHttpServer server;
    server.setHandler([](const test::RecordedRequest&) {
        return test::ScriptedAnswer::text(
            200, "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x01\x2c\0\0\0\xfa\x08\x06\0\0\0"s, "image/png");
    });
    const std::string companions =
        "<Creative><CompanionAds><Companion width=\"728\" height=\"90\"><StaticResource creativeType=\"image/png\">" +
        server.url("/wide.png") + "</StaticResource><CompanionClickThrough>https://land.test/wide</CompanionClickThrough>"
        "</Companion><Companion width=\"300\" height=\"250\"><StaticResource creativeType=\"image/png\">" +
        server.url("/end.png") + "</StaticResource><CompanionClickThrough>https://land.test/end</CompanionClickThrough>"
        "<CompanionClickTracking>https://t.test/cc</CompanionClickTracking></Companion></CompanionAds></Creative>";
    // Not on Wi-Fi: the widest companion that fits the 390-point screen.
    platform::NetworkReachability::setProvider([] {
        return platform::NetworkReachability::reachable | platform::NetworkReachability::connectionRequired;
    });
    auto asset = make(test::vast(test::inlineAd(test::linear(), companions)));
    load(*asset);
    ASSERT_TRUE(test::waitUntil([&] {
        return asset->companionImageView() && asset->companionImageView()->assetState() == NativeAssetState::loaded;
    }));
    EXPECT_EQ(server.requests().back().path, "/end.png");
    run(31.0);

    const auto companion = asset->companionImageView();
    EXPECT_EQ(asset->subviews(), std::vector<std::shared_ptr<platform::View>>{companion});
    asset->layoutIfNeeded();
    EXPECT_EQ(companion->frame(), asset->bounds());
    EXPECT_EQ(companion->image()->pixelWidth(), 300u);
    EXPECT_EQ(witness->with("COMPLETE"), test::Journal{"COMPLETE https://t.test/complete"});
    witness->journal.clear();
    ASSERT_TRUE(platform::TapDriver::tap(companion));
    EXPECT_EQ(witness->journal, test::Journal{"tapped https://land.test/end"});
    EXPECT_EQ(witness->lastTapped, companion);
}

}  // namespace
}  // namespace solen
