// The video asset end to end: a VAST inline document whose media file is the committed clip,
// served over loopback, read by the media module and played on the system clock.

#include "Ad/RenderEngine/Native/Assets/VideoView/VideoViewAsset.h"

#include "Platform/Dispatch/MainLoop.h"
#include "support/ScopedApplication.h"
#include "support/ServedMediaClip.h"

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

}  // namespace
}  // namespace solen
