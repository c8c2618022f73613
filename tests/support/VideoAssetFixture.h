#pragma once

#include "Ad/RenderEngine/Native/Assets/VideoView/VideoViewAsset.h"
#include "Platform/Device/NetworkReachability.h"
#include "Platform/Dispatch/MainLoop.h"
#include "support/DispatchWait.h"
#include "support/MainLoopPump.h"
#include "support/ScopedApplication.h"
#include "support/ScopedManualClock.h"
#include "support/ScriptedMediaFactsSource.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace solen::test {

using Journal = std::vector<std::string>;

inline const std::string kMedia = "https://media.test/ad.mp4";

// The video asset's three delegates and its tracking sender, writing into one journal so that
// the order across tracking and video events is visible: "LABEL url ..." for each send that has
// addresses, "event <n>" for video events, "loaded", "failed <code>", "tapped <url>".
class VideoAssetWitness final : public NativeAssetInteractionDelegate,
                                public NativeAssetLoadDelegate,
                                public VideoAssetEventDelegate {
public:
    void assetLoadedSuccessfully(const std::shared_ptr<NativeAsset>& asset) override {
        journal.push_back("loaded");
        lastReporter = asset;
    }
    void assetLoadFailed(const std::shared_ptr<NativeAsset>& asset, const platform::Error& error) override {
        journal.push_back("failed " + std::to_string(error.code));
        lastReporter = asset;
        lastError = error;
        EXPECT_EQ(asset->assetState(), NativeAssetState::failed);
    }
    void assetTapped(const std::shared_ptr<NativeAsset>& asset, const std::optional<AssetOnClick>& onClick) override {
        journal.push_back("tapped " + (onClick ? onClick->url : std::string("none")));
        lastTapped = asset;
    }
    void videoAssetEventOccurred(VideoEvent event) override {
        journal.push_back("event " + std::to_string(static_cast<int>(event)));
    }
    VastTracker::TrackingUrlSender sender() {
        return [this](const std::vector<platform::URL>& urls, const std::optional<std::string>& event) {
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
    std::shared_ptr<NativeAsset> lastTapped;
    std::shared_ptr<NativeAsset> lastReporter;
};

inline std::string event(VideoEvent value) { return "event " + std::to_string(static_cast<int>(value)); }

// An inline ad `id` whose addresses are https://t.test/<event>. `linear` is the inside of its
// Linear element; without it the ad's first creative is non-linear. `creatives` follow it.
inline std::string inlineAd(const std::optional<std::string>& linear, const std::string& creatives = "",
                            const std::string& id = "a") {
    const std::string creative = linear ? "<Linear>" + *linear + "</Linear>"
                                        : "<NonLinearAds><NonLinear width=\"300\" height=\"50\"/></NonLinearAds>";
    return "<Ad id=\"" + id + "\"><InLine><Error>https://t.test/error?c=[ERRORCODE]</Error>"
           "<Impression>https://t.test/imp</Impression><Creatives><Creative>" +
           creative + "</Creative>" + creatives + "</Creatives></InLine></Ad>";
}

inline std::string vast(const std::string& ads) { return "<VAST version=\"4.2\">" + ads + "</VAST>"; }

inline std::string trackingEvents(int count = 0) {
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

inline std::string mediaFiles(const std::string& url = kMedia) {
    return "<MediaFiles><MediaFile delivery=\"progressive\" type=\"video/mp4\" width=\"640\" height=\"360\">" + url +
           "</MediaFile></MediaFiles>";
}

// The Linear inside of a 30 s video with every tracking event and the given clicks.
inline std::string linear(const std::string& clicks = "", int extraEvents = 0,
                          const std::string& duration = "00:00:30") {
    return "<Duration>" + duration + "</Duration>" + trackingEvents(extraEvents) + clicks + mediaFiles();
}

inline std::string playable(const std::string& duration = "00:00:30", const std::string& clicks = "",
                            int extraEvents = 0) {
    return vast(inlineAd(linear(clicks, extraEvents, duration)));
}

// A video asset in a key window, on the manual clock, with scripted media (kMedia plays 30 s) and
// the Wi-Fi route.
class VideoAssetTest : public ::testing::Test {
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
        ASSERT_TRUE(settle());
        platform::NetworkReachability::setProvider({});
    }
    static platform::MainLoop& loop() { return platform::MainLoop::shared(); }
    void run(double seconds) { advanceAndPump(clock, seconds, 0.01); }

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
        ASSERT_TRUE(waitUntil([&] { return asset.videoPlayer() || asset.assetState() == NativeAssetState::failed; }));
    }

    ScopedManualClock clock;
    ScopedApplication app;
    std::shared_ptr<ScriptedMediaFactsSource> source = ScriptedMediaFactsSource::create();
    std::shared_ptr<VideoAssetWitness> witness = std::make_shared<VideoAssetWitness>();
    std::shared_ptr<platform::Window> window;
    std::vector<std::shared_ptr<VideoViewAsset>> assets;
};

}  // namespace solen::test
