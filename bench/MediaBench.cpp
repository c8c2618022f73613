// What the media stand-ins cost: reading the test clip's headers from memory; downloading and
// reading it over loopback next to the bare download through the same kind of session, in the
// same run against the same local server; one simulated minute of playback at 0.01 s steps with
// two periodic observers. Before the benchmarks, the one-time load of the media module is
// measured (time and resident memory) and printed.

#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Foundation/HttpSession.h"
#include "Platform/Media/DownloadingMediaFactsSource.h"
#include "Platform/Media/MediaPlayer.h"
#include "support/LocalHttpServer.h"
#include "support/MainLoopPump.h"
#include "support/ScriptedMediaFactsSource.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <future>
#include <iterator>
#include <string>

namespace {

using namespace solen::platform;

std::string clipBytes() {
    std::ifstream in(std::string(SOLEN_TEST_MEDIA_DIR) + "/clip.mp4", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

MediaModule& module() {
    static MediaModule shared{std::string(SOLEN_MEDIA_MODULE_PATH)};
    return shared;
}

struct Loopback {
    solen::test::LocalHttpServer server;
    std::shared_ptr<HttpSession> session = HttpSession::create();
    std::shared_ptr<DownloadingMediaFactsSource> source = DownloadingMediaFactsSource::create(session, &module());
    Loopback() {
        server.setRecording(false);
        server.setDefaultAnswer(solen::test::ScriptedAnswer::text(200, clipBytes(), "video/mp4"));
    }
    static Loopback& shared() {
        static Loopback loopback;
        return loopback;
    }
};

void BM_ProbeClipFromMemory(benchmark::State& state) {
    const std::string bytes = clipBytes();
    const HttpSession::Data data(bytes.begin(), bytes.end());
    auto source = DownloadingMediaFactsSource::create(HttpSession::create(), &module());
    for (auto _ : state) {
        MediaFacts facts = source->probe(data);
        if (!facts.playable) state.SkipWithError("clip not playable");
        benchmark::DoNotOptimize(facts);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ProbeClipFromMemory)->Unit(benchmark::kMicrosecond);

void BM_BareDownload(benchmark::State& state) {
    auto& loopback = Loopback::shared();
    const auto url = *URL::parse(loopback.server.url("/clip.mp4"));
    for (auto _ : state) {
        std::promise<std::size_t> done;
        loopback.session
            ->dataTask(URLRequest(url),
                       [&](std::optional<HttpSession::Data> data, std::optional<URLResponse>, std::optional<Error>) {
                           done.set_value(data ? data->size() : 0);
                       })
            ->resume();
        if (done.get_future().get() == 0) state.SkipWithError("download failed");
    }
}
BENCHMARK(BM_BareDownload)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_DownloadAndProbe(benchmark::State& state) {
    auto& loopback = Loopback::shared();
    const auto url = *URL::parse(loopback.server.url("/clip.mp4"));
    for (auto _ : state) {
        std::promise<bool> done;
        auto request = loopback.source->load(url, [&](MediaFacts facts) { done.set_value(facts.playable); });
        if (!done.get_future().get()) state.SkipWithError("clip not playable");
    }
}
BENCHMARK(BM_DownloadAndProbe)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_SimulatedMinuteWithTwoObservers(benchmark::State& state) {
    solen::test::ScopedManualClock clock;
    auto source = solen::test::ScriptedMediaFactsSource::create();
    source->script("https://media.test/minute.mp4", solen::test::ScriptedMediaFactsSource::video(120));
    std::int64_t calls = 0;
    for (auto _ : state) {
        auto asset = Asset::create(*URL::parse("https://media.test/minute.mp4"), source);
        asset->loadValuesAsynchronously({"tracks", "playable", "duration"}, nullptr);
        MainLoop::shared().runUntilIdle();
        auto player = MediaPlayer::create();
        auto ticks = player->addPeriodicTimeObserver(MediaTime::make(1, 100), [&](MediaTime) { ++calls; });
        auto seconds = player->addPeriodicTimeObserver(MediaTime::make(1, 1), [&](MediaTime) { ++calls; });
        player->replaceCurrentItem(PlayerItem::create(asset));
        player->play();
        MainLoop::shared().runUntilIdle();
        solen::test::pumpSteps(clock, 6000, 0.01);
        if (player->currentTime().seconds() < 59.99) state.SkipWithError("play head behind");
    }
    state.counters["observer calls"] = benchmark::Counter(static_cast<double>(calls), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_SimulatedMinuteWithTwoObservers)->Unit(benchmark::kMillisecond);

long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    const long before = residentKilobytes();
    const auto start = std::chrono::steady_clock::now();
    const auto failure = module().load();
    const auto loaded = std::chrono::steady_clock::now();
    const long after = residentKilobytes();
    const std::string bytes = clipBytes();
    solen_media_facts facts{};
    const auto probeStart = std::chrono::steady_clock::now();
    module().probe(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), facts);
    const auto probed = std::chrono::steady_clock::now();
    const long afterProbe = residentKilobytes();
    std::printf("media module load: %s, %.2f ms, resident memory +%ld kB; first probe %.2f ms, +%ld kB\n",
                failure ? failure->c_str() : "ok",
                std::chrono::duration<double, std::milli>(loaded - start).count(), after - before,
                std::chrono::duration<double, std::milli>(probed - probeStart).count(), afterProbe - after);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
