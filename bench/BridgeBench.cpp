// Cost of the page bridge, in microseconds: one native call's round trip through the scripted
// web view (the page posts a call, the delegate answers, the completion statement is evaluated and
// the page posts its next queued call), against evaluating that completion statement alone; and
// rendering a statement with its texts escaped against plain concatenation.
#include "Ad/RenderEngine/Bridge/MRAIDJS.h"
#include "Ad/RenderEngine/View/MWKWebview.h"
#include "Platform/Dispatch/MainLoop.h"
#include <solen/ui/WebViewFactory.h>
#include "ScriptedWebView.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

namespace {

using namespace solen;
using platform::MainLoop;

// Answers every native call with its completion, as the render view does.
struct AnsweringDelegate final : MWebviewDelegate {
    bool shouldStartLoad(const std::shared_ptr<MWebview>&, const platform::WebRequest&, platform::NavigationType) override {
        return true;
    }
    void webViewDidCommitNavigation() override {}
    void webViewDidFinishLoad() override { loaded = true; }
    void webViewDidFailLoad(const platform::Error&) override {}
    void didReceiveNativeCall(const std::shared_ptr<MWebview>& webView, const std::optional<std::string>& scheme,
                              const std::optional<std::string>& command, const std::optional<AnyDictionary>&) override {
        ++calls;
        MRAIDJS::Methods::callComplete(*MRAIDJS::schemeNamed(*scheme), *command).evaluate(webView);
    }
    bool shouldOpenNewWindow(const platform::WebRequest&) override { return false; }

    bool loaded = false;
    std::size_t calls = 0;
};

std::shared_ptr<MWKWebview> loadedAd(const std::shared_ptr<AnsweringDelegate>& delegate) {
    const auto previous = platform::WebViewFactory::install(scripted::ScriptedWebView::maker());
    auto wrapper = MWKWebview::create(AdViewConfig{AdsType::banner, platform::Rect(0, 0, 320, 50)});
    platform::WebViewFactory::install(previous);
    wrapper->setWebViewDelegate(delegate);
    wrapper->loadHTML("<script>function queueCalls(count) { for (var i = 0; i < count; i += 1) { mraid.close(); } }</script>",
                      std::nullopt);
    MainLoop::shared().runUntil([&] { return delegate->loaded; }, std::chrono::seconds(10));
    return wrapper;
}

constexpr std::size_t batch = 1000;

void nativeCallRoundTrip(benchmark::State& state) {
    MainLoop::shared().bindToCurrentThread();
    const auto delegate = std::make_shared<AnsweringDelegate>();
    const auto wrapper = loadedAd(delegate);
    std::size_t queued = 0;
    for (auto _ : state) {
        if (queued == delegate->calls) {
            state.PauseTiming();
            // The first call of a batch goes out at once and is answered in the loop below.
            wrapper->evaluateJS("queueCalls(" + std::to_string(batch) + ")", nullptr);
            queued += batch;
            state.ResumeTiming();
        }
        const std::size_t target = delegate->calls + 1;
        MainLoop::shared().runUntil([&] { return delegate->calls >= target; }, std::chrono::seconds(10));
    }
    // The rest of the last batch, outside the measured loop.
    MainLoop::shared().runUntil([&] { return delegate->calls >= queued; }, std::chrono::seconds(60));
    MainLoop::shared().runUntilIdle();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(nativeCallRoundTrip)->Unit(benchmark::kMicrosecond);

void completionStatementAlone(benchmark::State& state) {
    MainLoop::shared().bindToCurrentThread();
    const auto delegate = std::make_shared<AnsweringDelegate>();
    const auto wrapper = loadedAd(delegate);
    for (auto _ : state) {
        bool answered = false;
        MRAIDJS::Methods::callComplete(MRAIDJS::Scheme::mraidView, "close").evaluate(wrapper, [&answered](auto, auto) { answered = true; });
        MainLoop::shared().runUntil([&] { return answered; }, std::chrono::seconds(10));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(completionStatementAlone)->Unit(benchmark::kMicrosecond);

const std::string message = "Ad size (300 x 250) in resizeProperties is not valid.";
const std::string command = "resize";

void errorStatementEscaped(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(MRAIDJS::Events::broadCastError(MRAIDJS::Scheme::mraidView, command, message).javaScript());
    }
}
BENCHMARK(errorStatementEscaped);

void errorStatementConcatenated(benchmark::State& state) {
    for (auto _ : state) {
        std::string raw = std::string(MRAIDJS::rawValue(MRAIDJS::Scheme::mraidView));
        benchmark::DoNotOptimize("window." + raw + ".broadcastEvent('error','" + message + "','" + command + "');");
    }
}
BENCHMARK(errorStatementConcatenated);

void sizeStatementFormatted(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(MRAIDJS::Events::broadCastSize(MRAIDJS::Scheme::mraid, {320, 50.5}).javaScript());
    }
}
BENCHMARK(sizeStatementFormatted);

void sizeStatementConcatenated(benchmark::State& state) {
    for (auto _ : state) {
        std::string raw = std::string(MRAIDJS::rawValue(MRAIDJS::Scheme::mraid));
        benchmark::DoNotOptimize("window." + raw + ".broadcastEvent('sizeChange'," + std::to_string(320.0) + "," +
                                 std::to_string(50.5) + ");");
    }
}
BENCHMARK(sizeStatementConcatenated);

}  // namespace

BENCHMARK_MAIN();
