// What the player view adds to playback: 30 s of a scripted video at 0.01 s steps of the manual
// clock through a Player with recording delegates, next to the bare media player with the same
// steps in the same run.

#include "Ad/RenderEngine/Native/MediaPlayer/Player.h"
#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Media/MediaPlayer.h"
#include "support/MainLoopPump.h"
#include "support/PlayerRecorder.h"
#include "support/ScopedApplication.h"
#include "support/ScriptedMediaFactsSource.h"

#include <benchmark/benchmark.h>

namespace {

using namespace solen;

const std::string kUrl = "https://media.test/thirty.mp4";
constexpr int kStartSteps = 50;    // load and the first visibility verdict
constexpr int kPlaySteps = 3000;   // 30 s

std::shared_ptr<test::ScriptedMediaFactsSource> thirtySeconds() {
    auto source = test::ScriptedMediaFactsSource::create();
    source->script(kUrl, test::ScriptedMediaFactsSource::video(30.0));
    return source;
}

void BM_PlayerThirtySeconds(benchmark::State& state) {
    test::ScopedManualClock clock;
    test::ScopedApplication app;
    auto window = app.showKeyWindow();
    auto source = thirtySeconds();
    long ticks = 0;
    for (auto _ : state) {
        auto recorder = std::make_shared<test::PlayerRecorder>();
        auto player = Player::create(platform::Rect{0, 0, 320, 180}, source);
        player->setPlayerDelegate(recorder);
        player->setPlaybackDelegate(recorder);
        player->setAutoplay(true);
        window->addSubview(player);
        player->setUrl(*platform::URL::parse(kUrl));
        test::pumpSteps(clock, kStartSteps + kPlaySteps, 0.01);
        if (recorder->milestones().empty() || recorder->milestones().back() != "completed") {
            state.SkipWithError("the video did not complete");
        }
        ticks += recorder->ticks;
        player->removeFromSuperview();
    }
    state.counters["ticks"] = benchmark::Counter(static_cast<double>(ticks), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_PlayerThirtySeconds)->Unit(benchmark::kMillisecond);

void BM_BareMediaPlayerThirtySeconds(benchmark::State& state) {
    test::ScopedManualClock clock;
    auto source = thirtySeconds();
    for (auto _ : state) {
        auto asset = platform::Asset::create(*platform::URL::parse(kUrl), source);
        asset->loadValuesAsynchronously({"tracks", "playable", "duration"}, nullptr);
        platform::MainLoop::shared().runUntilIdle();
        auto player = platform::MediaPlayer::create();
        player->replaceCurrentItem(platform::PlayerItem::create(asset));
        test::pumpSteps(clock, kStartSteps, 0.01);
        player->play();
        test::pumpSteps(clock, kPlaySteps, 0.01);
        if (player->currentTime().seconds() < 29.99) state.SkipWithError("play head behind");
    }
}
BENCHMARK(BM_BareMediaPlayerThirtySeconds)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
