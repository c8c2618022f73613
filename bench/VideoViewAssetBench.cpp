// What the video asset adds to a VAST parse: loadAsset() of the VAST 4.2 inline sample up to
// assetLoadedSuccessfully, with scripted media facts on the manual clock, next to the bare VAST
// client parse of the same document in the same run. Then the companion choice over 200
// companions, and a whole 30 s play with the control bar and a companion end card (picture over
// loopback) next to the same play without a companion and with the bar taken out of the tree.

#include "Ad/RenderEngine/Native/Assets/VideoView/VideoViewAsset.h"
#include "Platform/Device/NetworkReachability.h"
#include "Platform/Dispatch/MainLoop.h"
#include "Platform/UI/Screen.h"
#include "support/DispatchWait.h"
#include "support/LocalHttpServer.h"
#include "support/MainLoopPump.h"
#include "support/ScopedApplication.h"
#include "support/ScopedManualClock.h"
#include "support/ScriptedMediaFactsSource.h"
#include "support/VastDocuments.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

namespace {

using namespace solen;

class Outcome final : public NativeAssetInteractionDelegate,
                      public NativeAssetLoadDelegate,
                      public VideoAssetEventDelegate {
public:
    void assetLoadedSuccessfully(const std::shared_ptr<NativeAsset>&) override { loaded = true; }
    void assetLoadFailed(const std::shared_ptr<NativeAsset>&, const platform::Error&) override { failed = true; }
    void assetTapped(const std::shared_ptr<NativeAsset>&, const std::optional<AssetOnClick>&) override {}
    void videoAssetEventOccurred(VideoEvent) override {}
    bool loaded = false;
    bool failed = false;
};

void ignore(const std::vector<platform::URL>&, const std::optional<std::string>&) {}

// Every media file address of the sample plays for 30 s, whichever the asset picks.
std::shared_ptr<test::ScriptedMediaFactsSource> scriptedMedia() {
    auto source = test::ScriptedMediaFactsSource::create();
    for (const char* url : {"https://cdn.example.com/v4/640.mp4", "https://cdn.example.com/v4/1920.mp4"}) {
        source->script(url, test::ScriptedMediaFactsSource::video(30.0));
    }
    return source;
}

// A video asset in the window whose load has started.
std::shared_ptr<VideoViewAsset> startLoad(platform::Window& window, const MediaAssetVideoContentModel& model,
                                          const std::shared_ptr<Outcome>& outcome,
                                          const std::shared_ptr<test::ScriptedMediaFactsSource>& source) {
    auto asset = VideoViewAsset::create("media", model, outcome, platform::Rect{0, 0, 320, 180}, {nullptr, ignore, source});
    window.addSubview(asset);
    asset->loadAsset();
    return asset;
}

void BM_VideoAssetLoadToReady(benchmark::State& state) {
    test::ScopedManualClock clock;
    test::ScopedApplication app;
    platform::NetworkReachability::setProvider([] { return platform::NetworkReachability::reachable; });
    auto window = app.showKeyWindow();
    auto source = scriptedMedia();
    const MediaAssetVideoContentModel model{true, test::VastDocuments::vast4Inline(), std::nullopt, {true, true}};
    for (auto _ : state) {
        auto outcome = std::make_shared<Outcome>();
        auto asset = startLoad(*window, model, outcome, source);
        // The parse runs on its own queue; the player loads on turns of the main loop.
        while (!outcome->loaded && !outcome->failed) {
            if (!test::waitUntil([&] { return asset->videoPlayer() || outcome->failed; }, std::chrono::seconds(5))) {
                break;
            }
            test::pumpSteps(clock, 1, 0.01);
        }
        if (!outcome->loaded) {
            state.SkipWithError("the asset did not load");
            break;
        }
        asset->removeFromSuperview();
    }
    platform::NetworkReachability::setProvider({});
}
BENCHMARK(BM_VideoAssetLoadToReady)->Unit(benchmark::kMicrosecond);

void BM_BareVastClientParse(benchmark::State& state) {
    test::ScopedManualClock clock;
    const VastClient client({}, nullptr, ignore);
    for (auto _ : state) {
        bool done = false;
        client.parse(test::VastDocuments::vast4Inline(),
                     [&done](std::optional<VastModel> parsed, std::optional<VastError>) { done = parsed.has_value(); });
        if (!test::waitUntil([&] { return done; }, std::chrono::seconds(5))) {
            state.SkipWithError("the parse did not complete");
            break;
        }
    }
}
BENCHMARK(BM_BareVastClientParse)->Unit(benchmark::kMicrosecond);

void BM_CompanionChoiceOf200(benchmark::State& state) {
    test::ScopedApplication app;
    platform::Screen::main().setBounds(platform::Rect{0, 0, 375, 812});
    std::vector<VastCompanionCreative> companions(200);
    for (std::size_t i = 0; i < companions.size(); ++i) {
        companions[i].width = static_cast<std::int64_t>((i * 37) % 1000);
        companions[i].staticResource = {
            VastStaticResource{"image/jpeg", platform::URL::parse("https://c.test/" + std::to_string(i) + ".jpg")},
            VastStaticResource{"image/png", platform::URL::parse("https://c.test/" + std::to_string(i) + ".png")}};
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(VideoViewAsset::companionForWiFi(companions));
    }
}
BENCHMARK(BM_CompanionChoiceOf200)->Unit(benchmark::kMicrosecond);

// One 30 s ad played to its end on the manual clock, in steps of 10 ms of media time.
void playThirtySeconds(benchmark::State& state, bool withEndCard) {
    test::ScopedManualClock clock;
    test::ScopedApplication app;
    platform::NetworkReachability::setProvider([] { return platform::NetworkReachability::reachable; });
    test::LocalHttpServer server;
    server.setRecording(false);
    server.setDefaultAnswer(test::ScriptedAnswer::text(
        200, std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x01\x2c\0\0\0\xfa\x08\x06\0\0\0", 24),
        "image/png"));
    auto window = app.showKeyWindow();
    auto source = test::ScriptedMediaFactsSource::create();
    source->script("https://media.test/30.mp4", test::ScriptedMediaFactsSource::video(30.0));
    const std::string companion =
        withEndCard ? "<Creative><CompanionAds><Companion width=\"400\"><StaticResource creativeType=\"image/png\">" +
                          server.url("/end.png") +
                          "</StaticResource><CompanionClickThrough>https://land.test/</CompanionClickThrough>"
                          "</Companion></CompanionAds></Creative>"
                    : "";
    const std::string xml =
        "<VAST version=\"4.2\"><Ad id=\"a\"><InLine><Impression>https://t.test/imp</Impression><Creatives><Creative>"
        "<Linear><Duration>00:00:30</Duration><MediaFiles><MediaFile delivery=\"progressive\" type=\"video/mp4\" "
        "width=\"640\" height=\"360\">https://media.test/30.mp4</MediaFile></MediaFiles></Linear></Creative>" +
        companion + "</Creatives></InLine></Ad></VAST>";
    const MediaAssetVideoContentModel model{true, xml, std::nullopt, {false, true}};
    for (auto _ : state) {
        auto outcome = std::make_shared<Outcome>();
        auto asset = startLoad(*window, model, outcome, source);
        if (!test::waitUntil([&] { return asset->videoPlayer() != nullptr; }, std::chrono::seconds(5))) {
            state.SkipWithError("the asset built no player");
            break;
        }
        if (withEndCard) {
            // The picture downloads while the video plays; its arrival is not part of the play.
            state.PauseTiming();
            const auto& card = asset->companionImageView();
            test::waitUntil([&] { return card && card->assetState() != NativeAssetState::loading; },
                            std::chrono::seconds(5));
            state.ResumeTiming();
        } else {
            asset->videoControlStackView()->removeFromSuperview();
        }
        test::pumpSteps(clock, 3100, 0.01);
        const bool ended = withEndCard ? asset->companionImageView()->superview() == asset
                                       : asset->videoPlayer()->playbackState() != Player::PlaybackState::playing;
        if (!outcome->loaded || !ended) {
            state.SkipWithError("the ad did not play to its end");
            break;
        }
        asset->removeFromSuperview();
    }
    platform::NetworkReachability::setProvider({});
}

void BM_ThirtySecondPlayWithControlsAndCompanion(benchmark::State& state) { playThirtySeconds(state, true); }
BENCHMARK(BM_ThirtySecondPlayWithControlsAndCompanion)->Unit(benchmark::kMillisecond);

void BM_ThirtySecondPlayBare(benchmark::State& state) { playThirtySeconds(state, false); }
BENCHMARK(BM_ThirtySecondPlayBare)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
