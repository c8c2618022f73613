// hello: the smallest host of the SDK. It loads the example network's adapter package, starts the
// SDK against the service that SOLEN_SERVICE_BASE_URL names, loads a banner in a window, then loads
// and shows an interstitial, printing every callback. Exits with 0 when both worked.
//   SOLEN_SERVICE_BASE_URL=http://127.0.0.1:PORT ./hello path/to/libsolen-example.so
#include <solen/Solen.h>
#include <solen/SolenBanner.h>
#include <solen/SolenInterstitial.h>
#include <solen/adapters/AdapterRegistration.h>
#include <solen/host/Device.h>
#include <solen/host/Lifecycle.h>
#include <solen/host/MainLoop.h>
#include <solen/ui/ViewController.h>
#include <solen/ui/Window.h>

#include <atomic>
#include <iostream>
#include <memory>
#include <string>
#include <utility>

using namespace std::chrono_literals;
using solen::host::MainLoop;
using solen::platform::Error;

namespace {

void print(const std::string& event, const Error* error = nullptr) {
    std::cout << "hello: " << event;
    if (error) {
        std::cout << ", " << error->code << " " << error->localizedFailureReason.value_or(error->localizedDescription);
    }
    std::cout << std::endl;
}

// Delegate callbacks arrive on the main thread, inside MainLoop's run calls.
struct BannerEvents final : solen::SolenBannerDelegate {
    explicit BannerEvents(std::shared_ptr<solen::platform::ViewController> from) : presenter(std::move(from)) {}
    // Where the banner's full-screen content (an expansion, a landing page) is presented from.
    std::shared_ptr<solen::platform::ViewController> viewControllerForSolenBannerFullScreen() override {
        return presenter;
    }
    void solenBannerDidLoad(solen::SolenBanner&) override { print("banner did load"); loaded = ended = true; }
    void solenBannerDidFailToLoad(solen::SolenBanner&, const Error& error) override {
        print("banner did fail to load", &error);
        ended = true;
    }
    void solenBannerImpression(solen::SolenBanner&, const std::optional<nlohmann::ordered_json>&) override {
        print("banner impression");
    }
    std::shared_ptr<solen::platform::ViewController> presenter;
    bool loaded = false, ended = false;
};

struct InterstitialEvents final : solen::SolenInterstitialDelegate {
    void solenInterstitialDidLoad(solen::SolenInterstitial&) override { print("interstitial did load"); }
    void solenInterstitialDidFailToLoad(solen::SolenInterstitial&, const Error& error) override {
        print("interstitial did fail to load", &error);
        ended = true;
    }
    void solenInterstitialDidFailToDisplay(solen::SolenInterstitial&, const Error& error) override {
        print("interstitial did fail to display", &error);
        ended = true;
    }
    void solenInterstitialDidDisplay(solen::SolenInterstitial&) override { print("interstitial did display"); }
    void solenInterstitialImpression(solen::SolenInterstitial&, const std::optional<nlohmann::ordered_json>&) override {
        print("interstitial impression");
    }
    void solenInterstitialDidDismiss(solen::SolenInterstitial&) override {
        print("interstitial did dismiss");
        dismissed = ended = true;
    }
    bool dismissed = false, ended = false;
};

}  // namespace

int main(int argc, char** argv) {
    // The example network's adapter package, loaded by path before the SDK starts.
    std::string loadError;
    if (argc > 1 && !solen::loadAdapterModule(argv[1], &loadError)) {
        print("cannot load " + std::string(argv[1]) + ": " + loadError);
        return 1;
    }
    solen::Solen::setLogLevel(solen::LogLevel::info);  // the SDK's lines go to standard error
    MainLoop::bindToCurrentThread();                   // this thread is the SDK's main thread
    solen::host::Device::setSystemVersion("17.0");    // the SDK starts on 10.0 and later
    solen::host::Lifecycle::didFinishLaunching();

    // The completion runs on a background thread, possibly after a time-out here: it shares what
    // it sets rather than pointing into this frame.
    const auto started = std::make_shared<std::atomic<int>>(-1);
    solen::Solen::initialize(solen::SolenSdkConfiguration("hello-app", {}), [started](auto error) {
        if (error) print("initialize failed, " + std::to_string(error->code()) + " " + error->localizedDescription());
        *started = error ? 0 : 1;
        MainLoop::post([] {});  // wakes the main loop
    });
    MainLoop::runUntil([&] { return *started >= 0; }, 30s);
    if (*started != 1) return 1;

    const auto window = solen::platform::Window::create();
    window->setRootViewController(solen::platform::ViewController::create());
    window->makeKeyAndVisible();

    // The SDK holds delegates weakly: the host keeps them alive.
    const auto bannerEvents = std::make_shared<BannerEvents>(window->rootViewController());
    const auto banner = solen::SolenBanner::create("demo-waterfall-banner", {320, 50}, bannerEvents);
    window->addSubview(banner);
    banner->load();
    MainLoop::runUntil([&] { return bannerEvents->ended; }, 15s);
    banner->removeFromSuperview();  // out of a window, a banner stops refreshing

    const auto interstitialEvents = std::make_shared<InterstitialEvents>();
    const auto interstitial = solen::SolenInterstitial::create("demo-interstitial", interstitialEvents);
    interstitial->load();
    MainLoop::runUntil([&] { return interstitial->isReady() || interstitialEvents->ended; }, 15s);
    interstitial->show(window->rootViewController());
    MainLoop::runUntil([&] { return interstitialEvents->ended; }, 15s);

    const bool worked = bannerEvents->loaded && interstitialEvents->dismissed;
    print(worked ? "banner and interstitial worked" : "banner or interstitial did not work");
    return worked ? 0 : 1;
}
