// What the video asset adds to a VAST parse: loadAsset() of the VAST 4.2 inline sample up to
// assetLoadedSuccessfully, with scripted media facts on the manual clock, next to the bare VAST
// client parse of the same document in the same run.

#include "Ad/RenderEngine/Native/Assets/VideoView/VideoViewAsset.h"
#include "Platform/Device/NetworkReachability.h"
#include "Platform/Dispatch/MainLoop.h"
#include "support/DispatchWait.h"
#include "support/MainLoopPump.h"
#include "support/ScopedApplication.h"
#include "support/ScopedManualClock.h"
#include "support/ScriptedMediaFactsSource.h"
#include "support/VastDocuments.h"

#include <benchmark/benchmark.h>

#include <chrono>

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

void BM_VideoAssetLoadToReady(benchmark::State& state) {
    test::ScopedManualClock clock;
    test::ScopedApplication app;
    platform::NetworkReachability::setProvider([] { return platform::NetworkReachability::reachable; });
    auto window = app.showKeyWindow();
    auto source = scriptedMedia();
    const MediaAssetVideoContentModel model{true, test::VastDocuments::vast4Inline(), std::nullopt, {true, true}};
    for (auto _ : state) {
        auto outcome = std::make_shared<Outcome>();
        auto asset =
            VideoViewAsset::create("media", model, outcome, platform::Rect{0, 0, 320, 180}, {nullptr, ignore, source});
        window->addSubview(asset);
        asset->loadAsset();
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

}  // namespace

BENCHMARK_MAIN();
