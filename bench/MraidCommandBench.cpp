// Cost of MRAID command handling, in microseconds: one posted call of each of the thirteen
// commands decoded, carried out against a render view that does nothing and answered in the page
// (the answers go to a web view that drops them, so only the SDK's own work is timed); and the
// initial property push evaluated as one script in the scripted web view against its eight
// statements evaluated one by one, beside the cost of one evaluation of an empty script.
#include "Ad/RenderEngine/MRAID/MRAIDAction.h"
#include "Ad/RenderEngine/View/MWKWebview.h"
#include "Ad/RenderEngine/View/RenderViewCalls.h"
#include "Platform/Dispatch/MainLoop.h"
#include "Platform/UI/Screen.h"
#include "ScriptedWebView.h"
#include <solen/ui/WebViewFactory.h>
#include <solen/ui/Window.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

namespace {

using namespace solen;
using platform::MainLoop;

struct DroppingWebview final : MWebview {
    std::shared_ptr<MWebviewDelegate> webViewDelegate() const override { return nullptr; }
    void setWebViewDelegate(std::weak_ptr<MWebviewDelegate>) override {}
    void loadHTML(const std::string&, const std::optional<std::string>&) override {}
    void loadURL(const platform::URL&) override {}
    void evaluateJS(const std::string& script, Completion) override { benchmark::DoNotOptimize(script.data()); }
};

struct IdleRenderView final : AdRenderView {
    std::shared_ptr<platform::View> adSuperView() const override { return superView; }
    platform::Rect currentPosition() const override { return {0, 0, 320, 50}; }
    std::shared_ptr<platform::Window> keyWindow() const override { return window; }
    RenderViewStatus status() const override { return RenderViewStatus::ready; }
    void setStatus(RenderViewStatus) override {}
    void fireAdReady() override {}
    void fireAdFailed() override {}
    void userWillLeaveApplication() override {}
    void resize(const MRAIDResizeProperties&) override {}
    void expand(std::optional<double>, std::optional<double>, std::optional<std::string>) override {}
    void updateCloseButton() override {}
    void close() override {}
    void playVideo(const AnyDictionary&) override {}
    std::shared_ptr<platform::View> superView = platform::View::create({0, 100, 320, 50});
    std::shared_ptr<platform::Window> window = platform::Window::create();
};

// Parameters as the bridge sends them: every value a text. "open" and "openExternal" take the
// refused path (no controller to present from, a scheme that never leaves), so that nothing
// piles up across iterations.
const std::pair<const char*, Json> calls[] = {
    {"open", {{"url", "https://l.example/landing?id=42"}}},
    {"openExternal", {{"url", "javascript:void(0)"}}},
    {"close", nullptr},
    {"expand", {{"url", "https://e.example/expanded"}}},
    {"resize", nullptr},
    {"expandprops", {{"width", "320"}, {"height", "480"}, {"close", "true"}, {"isModal", "true"}}},
    {"resizeprops",
     {{"width", "300"}, {"height", "250"}, {"offsetX", "10"}, {"offsetY", "20"}, {"allowOffscreen", "false"},
      {"customClosePosition", "top-right"}}},
    {"orientprops", {{"allowOrientationChange", "true"}, {"forceOrientation", "none"}, {"direction", "right"}}},
    {"log", {{"message", "creative says hello"}}},
    {"fireAdReady", nullptr},
    {"fireAdFailed", nullptr},
    {"playVideo", {{"url", "https://v.example/ad.mp4"}}},
    {"useCustomClose", {{"close", "false"}}},
};

void command(benchmark::State& state) {
    MainLoop::shared().bindToCurrentThread();
    const auto& [name, params] = calls[state.range(0)];
    const auto webView = std::make_shared<DroppingWebview>();
    const auto view = std::make_shared<IdleRenderView>();
    const auto action = std::make_shared<MRAIDAction>(webView, AdViewConfig{AdsType::banner, {0, 0, 320, 50}});
    action->setRenderView(view);
    const std::optional<std::string> scheme = "mraidview";
    const std::optional<std::string> commandText = name;
    const std::optional<AnyDictionary> parameters = params.is_null() ? std::nullopt : std::optional(params);
    std::size_t pending = 0;
    for (auto _ : state) {
        RenderViewCalls::didReceiveNativeCall(action, webView, scheme, commandText, parameters);
        // The answers are queued to the main loop; run them in batches as the page would see them.
        if (++pending == 64) {
            MainLoop::shared().runUntilIdle();
            pending = 0;
        }
    }
    MainLoop::shared().runUntilIdle();
    state.SetLabel(name);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(command)->DenseRange(0, 12)->Unit(benchmark::kMicrosecond);

struct LoadedPage {
    std::shared_ptr<MWKWebview> wrapper;
    std::shared_ptr<MRAIDAction> action;
    std::shared_ptr<IdleRenderView> view = std::make_shared<IdleRenderView>();
};

LoadedPage loadedPage() {
    LoadedPage page;
    const auto previous = platform::WebViewFactory::install(scripted::ScriptedWebView::maker());
    page.wrapper = MWKWebview::create(AdViewConfig{AdsType::banner, platform::Rect(0, 0, 320, 50)});
    platform::WebViewFactory::install(previous);
    page.action = std::make_shared<MRAIDAction>(page.wrapper, page.wrapper->adConfig());
    page.action->setRenderView(page.view);
    page.wrapper->loadHTML("<script>var ready = true;</script>", std::nullopt);
    MainLoop::shared().runUntilIdle();
    return page;
}

void initialPushAsOneScript(benchmark::State& state) {
    MainLoop::shared().bindToCurrentThread();
    const LoadedPage page = loadedPage();
    for (auto _ : state) {
        page.action->pushInitialState();
        MainLoop::shared().runUntilIdle();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(initialPushAsOneScript)->Unit(benchmark::kMicrosecond);

void initialPushStatementsApart(benchmark::State& state) {
    MainLoop::shared().bindToCurrentThread();
    const LoadedPage page = loadedPage();
    using MRAIDJS::Properties;
    for (auto _ : state) {
        // The same eight statements, made the same way, each evaluated on its own.
        const auto superView = page.view->adSuperView();
        for (const Properties& statement : {
                 Properties::setStatus("default"), Properties::setPlacement("inline"), Properties::setOrientation(0),
                 Properties::setScreenSize(platform::Screen::main().bounds().size),
                 Properties::setDefaultPosition(superView->frame()), Properties::setCurrentPosition(page.view->currentPosition()),
                 Properties::setMaxSize(page.view->keyWindow()->frame().size), Properties::setViewabale(false)}) {
            statement.evaluate(page.wrapper);
        }
        MainLoop::shared().runUntilIdle();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(initialPushStatementsApart)->Unit(benchmark::kMicrosecond);

// What one evaluation costs before its text: the floor that joining the statements saves seven times.
void emptyEvaluation(benchmark::State& state) {
    MainLoop::shared().bindToCurrentThread();
    const LoadedPage page = loadedPage();
    for (auto _ : state) {
        page.wrapper->evaluateJS("0", nullptr);
        MainLoop::shared().runUntilIdle();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(emptyEvaluation)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
