#include "DemoNativeAds.h"

#include <solen/SolenNative.h>
#include <solen/SolenSplash.h>
#include <solen/host/MainLoop.h>
#include <solen/ui/Window.h>

#include <string>

namespace solen::demo {
namespace {

std::string sizeText(const platform::View& view) {
    const auto size = view.frame().size;
    return std::to_string(static_cast<int>(size.width)) + "x" + std::to_string(static_cast<int>(size.height));
}

// Counts one format's callbacks and writes them into the timeline with the ad unit.
struct DemoCounts {
    DemoCounts(std::shared_ptr<DemoTimeline> timelineIn, std::string adUnit)
        : timeline(std::move(timelineIn)), adUnitId(std::move(adUnit)) {}

    std::shared_ptr<DemoTimeline> timeline;
    std::string adUnitId;
    int loads = 0;
    int failures = 0;
    int impressions = 0;

    void add(const std::string& text) const { timeline->add("host", adUnitId + ": " + text); }
    void failed(const char* callback, const platform::Error& error) {
        ++failures;
        add(std::string(callback) + ", " + std::to_string(error.code) + " " + error.localizedDescription);
    }
};

class DemoNativeDelegate final : public SolenNativeDelegate, public DemoCounts {
public:
    using DemoCounts::DemoCounts;
    std::shared_ptr<platform::ViewController> viewControllerForSolenFullScreen() override { return nullptr; }
    void solenNativeDidLoad(SolenNative&) override {
        ++loads;
        add("solenNativeDidLoad");
    }
    void solenNativeDidLoadFail(SolenNative&, const platform::Error& error) override {
        failed("solenNativeDidLoadFail", error);
    }
    void solenNativeImpression(SolenNative&, const std::optional<nlohmann::ordered_json>&) override {
        ++impressions;
        add("solenNativeImpression");
    }
    void solenNativeDidClick(SolenNative&, const nlohmann::ordered_json& params) override {
        add("solenNativeDidClick " + params.dump());
    }
};

class DemoSplashDelegate final : public SolenSplashDelegate, public DemoCounts {
public:
    using DemoCounts::DemoCounts;
    void solenSplashDidLoad(SolenSplash&) override {
        ++loads;
        add("solenSplashDidLoad");
    }
    void solenSplashDidLoadFail(SolenSplash&, const platform::Error& error) override {
        failed("solenSplashDidLoadFail", error);
    }
    void solenSplashImpression(SolenSplash&, const std::optional<nlohmann::ordered_json>&) override {
        ++impressions;
        add("solenSplashImpression");
    }
};

}  // namespace

bool runNativeAndSplash(const std::shared_ptr<DemoTimeline>& timeline, std::chrono::milliseconds limit) {
    const auto window = platform::Window::create();
    window->makeKeyAndVisible();
    const auto nativeDelegate = std::make_shared<DemoNativeDelegate>(timeline, "demo-native");
    const auto splashDelegate = std::make_shared<DemoSplashDelegate>(timeline, "demo-splash");
    const auto native = SolenNative::create("demo-native", {300, 250}, nativeDelegate);
    const auto splash = SolenSplash::create("demo-splash", {320, 480}, splashDelegate);

    timeline->add("host", "load() of demo-native twice in a row");
    native->load();
    native->load();
    host::MainLoop::runUntil([&] { return nativeDelegate->failures >= 1; }, limit);
    timeline->add("host", "load() of demo-native again, and of demo-splash");
    native->load();
    splash->load();
    host::MainLoop::runUntil([&] { return nativeDelegate->loads >= 1 && splashDelegate->loads >= 1; }, limit);

    // The application owns the views it takes.
    std::shared_ptr<platform::View> nativeView = native->getAdView();
    std::shared_ptr<platform::View> splashView = splash->getAdView();
    timeline->add("host", std::string("getAdView() of demo-native: ") + (nativeView ? "a native ad view" : "none") +
                              ", of demo-splash: " + (splashView ? "a view of " + sizeText(*splashView) : "none"));
    if (nativeView) window->addSubview(nativeView);
    if (splashView) window->addSubview(splashView);
    host::MainLoop::runUntil([&] { return nativeDelegate->impressions >= 1; }, limit);
    if (nativeView) nativeView->removeFromSuperview();
    if (splashView) splashView->removeFromSuperview();
    timeline->add("host", "native and splash views removed from the window");
    return nativeDelegate->failures == 1 && nativeDelegate->loads == 1 && nativeDelegate->impressions == 1 &&
           splashDelegate->loads == 1 && splashView != nullptr;
}

}  // namespace solen::demo
