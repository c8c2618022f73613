// What the native ad loader adds to its downloads: a creative of eight assets (five labels, an
// icon, the media slot and its image) assembled and loaded over loopback up to "all loaded", next
// to the same two pictures downloaded bare (each outcome handed to the main queue), in the same
// run.

#include "Ad/RenderEngine/Native/NativeAdLoader.h"
#include "Commons/Network/MediaDownloader.h"
#include "Platform/Dispatch/MainLoop.h"
#include "support/LocalHttpServer.h"
#include "support/ScopedApplication.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

namespace {

using namespace solen;

const std::string kPng("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x40\0\0\0\x40\x08\x06\0\0\0", 24);

struct Ad final : NativeAdAssetLoadDelegate {
    void nativeAdAssetLoadedSuccessfully(NativeAdLoader&) override { ready = true; }
    void nativeAdAssetLoadFailed(NativeAdLoader&, const platform::Error&) override { failed = true; }
    std::shared_ptr<S2sNativeAdDelegate> s2sNativeAdDelegate() const override { return nullptr; }
    bool ready = false;
    bool failed = false;
};

struct Loopback {
    Loopback() {
        server.setRecording(false);
        server.setDefaultAnswer(test::ScriptedAnswer::text(200, kPng, "image/png"));
    }
    test::ScopedApplication app;
    test::LocalHttpServer server;
};

void BM_EightAssetCreativeToAllLoaded(benchmark::State& state) {
    Loopback loopback;
    const std::string icon = loopback.server.url("/icon.png");
    const std::string image = loopback.server.url("/image.png");
    for (auto _ : state) {
        auto ad = std::make_shared<Ad>();
        auto loader = NativeAdLoader::create();
        loader->setDelegate(ad);
        const auto label = [&](const char* name, const char* text) {
            return LabelViewAsset::create({}, name, LabelAssetModel{true, text, std::nullopt}, loader);
        };
        loader->title = label("title", "Title");
        loader->description = label("description", "Description");
        loader->sponsored = label("sponsored", "Sponsor");
        loader->rating = label("rating", "4.5");
        loader->cta = label("cta", "Install");
        loader->icon = ImageViewAsset::create({}, "icon", ImageAssetModel{true, icon, std::nullopt}, loader);
        loader->media = MediaViewAsset::create(
            MediaAssetModel{MediaType::image, MediaAssetContentValue(ImageAssetModel{true, image, std::nullopt})},
            loader);
        loader->loadAssets();
        if (!platform::MainLoop::shared().runUntil([&] { return ad->ready || ad->failed; }, std::chrono::seconds(5)) ||
            !ad->ready) {
            state.SkipWithError("the creative did not load");
            break;
        }
    }
}
BENCHMARK(BM_EightAssetCreativeToAllLoaded)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_TwoBareDownloads(benchmark::State& state) {
    Loopback loopback;
    const auto icon = *platform::URL::parse(loopback.server.url("/icon.png"));
    const auto image = *platform::URL::parse(loopback.server.url("/image.png"));
    for (auto _ : state) {
        // Each outcome comes back to the main queue, as an image asset's does.
        int done = 0;
        for (const auto& url : {icon, image}) {
            MediaDownloader::downloadImage(url, [&done](bool success, std::optional<platform::Image>) {
                platform::performOnMainQueue([&done, success] { done += success ? 1 : 100; });
            });
        }
        if (!platform::MainLoop::shared().runUntil([&] { return done >= 2; }, std::chrono::seconds(5)) || done != 2) {
            state.SkipWithError("a download failed");
            break;
        }
    }
}
BENCHMARK(BM_TwoBareDownloads)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
