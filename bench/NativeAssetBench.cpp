// Native asset loads. An image asset that downloads a 64x64 PNG from the local server and reports
// on the main loop, next to a bare MediaDownloader::downloadImage of the same address in the same
// run (its completion on the session's queue, awaited with a condition variable, and once more
// handed to the main loop); and the local load of a label asset.

#include "Ad/RenderEngine/Native/Assets/ImageViewAsset.h"
#include "Ad/RenderEngine/Native/Assets/LabelViewAsset.h"
#include "Commons/Network/MediaDownloader.h"
#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Foundation/HttpSession.h"
#include "support/LocalHttpServer.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;

// Signature and IHDR of a 64x64 RGBA picture, then a body of the size such a picture has.
const std::string kPng = "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x40\0\0\0\x40\x08\x06\0\0\0"s + std::string(2048, '\x5a');

struct Fixture {
    solen::test::LocalHttpServer server;
    std::string url = server.url("/icon.png");

    Fixture() {
        server.setRecording(false);
        server.setDefaultAnswer(solen::test::ScriptedAnswer::text(200, kPng, "image/png"));
        solen::platform::HttpSession::globalInitialize();
    }
    static Fixture& shared() {
        static Fixture fixture;
        return fixture;
    }
};

// Counts load reports.
struct CountingDelegate final : solen::NativeAssetInteractionDelegate, solen::NativeAssetLoadDelegate {
    std::size_t loaded = 0;
    std::size_t failed = 0;
    void assetLoadedSuccessfully(const std::shared_ptr<solen::NativeAsset>&) override { ++loaded; }
    void assetLoadFailed(const std::shared_ptr<solen::NativeAsset>&, const solen::platform::Error&) override { ++failed; }
    void assetTapped(const std::shared_ptr<solen::NativeAsset>&, const std::optional<solen::AssetOnClick>&) override {}
};

void BM_ImageAssetDownload(benchmark::State& state) {
    Fixture& fixture = Fixture::shared();
    auto delegate = std::make_shared<CountingDelegate>();
    auto asset = solen::ImageViewAsset::create(solen::platform::Rect(0, 0, 64, 64), "icon",
                                               solen::ImageAssetModel{true, fixture.url, std::nullopt}, delegate);
    auto& loop = solen::platform::MainLoop::shared();
    for (auto _ : state) {
        const std::size_t before = delegate->loaded + delegate->failed;
        asset->loadAsset();
        loop.runUntil([&] { return delegate->loaded + delegate->failed > before; }, 5s);
    }
    if (delegate->failed) state.SkipWithError("a download failed");
}
BENCHMARK(BM_ImageAssetDownload)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_BareImageDownload(benchmark::State& state) {
    Fixture& fixture = Fixture::shared();
    const auto url = *solen::platform::URL::parse(fixture.url);
    std::mutex mutex;
    std::condition_variable arrived;
    std::size_t done = 0;
    std::size_t images = 0;
    for (auto _ : state) {
        std::unique_lock lock(mutex);
        const std::size_t before = done;
        lock.unlock();
        solen::MediaDownloader::downloadImage(url, [&](bool, std::optional<solen::platform::Image> image) {
            std::lock_guard guard(mutex);
            images += image ? 1 : 0;
            ++done;
            arrived.notify_one();
        });
        lock.lock();
        arrived.wait_for(lock, 5s, [&] { return done > before; });
    }
    if (images != done) state.SkipWithError("a download failed");
}
BENCHMARK(BM_BareImageDownload)->UseRealTime()->Unit(benchmark::kMicrosecond);

// The bare download with its completion handed to the main loop, as the asset's must be: the part
// of the asset's figure that is the hop itself.
void BM_BareImageDownloadToMain(benchmark::State& state) {
    Fixture& fixture = Fixture::shared();
    const auto url = *solen::platform::URL::parse(fixture.url);
    auto& loop = solen::platform::MainLoop::shared();
    std::size_t done = 0;
    for (auto _ : state) {
        const std::size_t before = done;
        solen::MediaDownloader::downloadImage(url, [&](bool, std::optional<solen::platform::Image>) {
            solen::platform::performOnMainQueue([&] { ++done; });
        });
        loop.runUntil([&] { return done > before; }, 5s);
    }
}
BENCHMARK(BM_BareImageDownloadToMain)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_LabelAssetLoad(benchmark::State& state) {
    auto delegate = std::make_shared<CountingDelegate>();
    auto label = solen::LabelViewAsset::create(solen::platform::Rect(0, 0, 200, 20), "title",
                                               solen::LabelAssetModel{true, "Play the new season now", std::nullopt},
                                               delegate);
    for (auto _ : state) {
        label->loadAsset();
    }
    benchmark::DoNotOptimize(delegate->loaded);
}
BENCHMARK(BM_LabelAssetLoad);

}  // namespace

BENCHMARK_MAIN();
