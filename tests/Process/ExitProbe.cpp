// solen-exit-probe: a host that leaves while the SDK is busy. It starts the SDK against the
// service that SOLEN_SERVICE_BASE_URL names, sets every kind of background work going (loads of
// every format, a mediation document whose networks start in the background, trackers, an
// analytics event, a VAST wrapper fetch) and returns from main after a pseudo-random 0-30 ms, so
// that the process exits while the library's threads still run.
//   solen-exit-probe SEED
// Exits with 0, or 2 when the SDK did not start.
#include "Ad/RenderEngine/Vast/Parser/VastClient.h"
#include "Commons/Analytics/Analytics.h"
#include "Commons/Configs/SettingsManager.h"
#include "Commons/Trackers/TrackerManager.h"

#include <solen/Solen.h>
#include <solen/SolenBanner.h>
#include <solen/SolenInterstitial.h>
#include <solen/SolenNative.h>
#include <solen/SolenSplash.h>
#include <solen/host/Device.h>
#include <solen/host/Lifecycle.h>
#include <solen/host/MainLoop.h>
#include <solen/ui/ViewController.h>
#include <solen/ui/Window.h>

#include <atomic>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <random>
#include <string>

using namespace std::chrono_literals;
using solen::host::MainLoop;

namespace {

std::string serviceBase() {
    const char* base = std::getenv("SOLEN_SERVICE_BASE_URL");
    return base ? base : "";
}

// A network of the example adapter package, as a mediation document lists it.
solen::AdapterConfig exampleNetwork(const std::string& networkId, bool headerBidder) {
    solen::AdapterConfig network;
    network.networkId = networkId;
    network.adapterName = "Example";
    network.timeout = 2000;
    network.headerBidder = headerBidder;
    network.adapterMeta = solen::Json{{"endpoint", serviceBase() + "/example"}, {"appKey", "exit"}};
    return network;
}

std::string wrapperDocument(const std::string& tagUri) {
    return "<VAST version=\"4.2\"><Ad id=\"w\"><Wrapper><AdSystem>exit</AdSystem><VASTAdTagURI><![CDATA[" + tagUri +
           "]]></VASTAdTagURI><Impression><![CDATA[" + serviceBase() +
           "/track/wrapper-impression]]></Impression></Wrapper></Ad></VAST>";
}

}  // namespace

int main(int argc, char** argv) {
    const unsigned seed = argc > 1 ? static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)) : 0;
    std::mt19937 random(seed);

    solen::Solen::setLogLevel(solen::LogLevel::error);
    MainLoop::bindToCurrentThread();
    solen::host::Device::setSystemVersion("17.0");
    solen::host::Lifecycle::didFinishLaunching();

    const auto started = std::make_shared<std::atomic<int>>(-1);
    solen::Solen::initialize(solen::SolenSdkConfiguration("exit-probe", {}), [started](auto error) {
        *started = error ? 0 : 1;
        MainLoop::post([] {});
    });
    MainLoop::runUntil([&] { return *started >= 0; }, 3s);
    if (*started != 1) {
        std::cerr << "exit-probe: the SDK did not start\n";
        return 2;
    }

    const auto window = solen::platform::Window::create();
    window->setRootViewController(solen::platform::ViewController::create());
    window->makeKeyAndVisible();

    // Loads of every format, from the network and rendered by the SDK.
    const auto banner = solen::SolenBanner::create("demo-waterfall-banner", {320, 50});
    window->addSubview(banner);
    banner->load();
    const auto s2sBanner = solen::SolenBanner::create("demo-s2s-banner", {320, 50});
    window->addSubview(s2sBanner);
    s2sBanner->load();
    const auto interstitial = solen::SolenInterstitial::create("demo-interstitial");
    interstitial->load();
    const auto rewarded = solen::SolenInterstitial::create("demo-rewarded");
    rewarded->load();
    const auto native = solen::SolenNative::create("demo-native", {300, 250});
    native->load();
    const auto nativeVideo = solen::SolenNative::create("demo-native-video", {300, 250});
    nativeVideo->load();
    const auto splash = solen::SolenSplash::create("demo-splash", {320, 480});
    splash->load();

    // A mediation document with networks: they start on the global queue.
    solen::SettingsManager::shared()->setAdapters(
        std::vector<solen::AdapterConfig>{exampleNetwork("exit-bidder", true), exampleNetwork("exit-waterfall", false)});

    // Trackers and an analytics event, sent in the background.
    solen::TrackerManager::shared()->fire(
        {serviceBase() + "/track/exit?n=1", serviceBase() + "/track/exit?n=2", serviceBase() + "/track/exit?n=3"});
    solen::Analytics::fireAppOpenEvent();

    // A VAST wrapper whose ad is fetched in the background.
    solen::VastClient().parse(wrapperDocument(serviceBase() + "/vast/exit.xml"), [](auto, auto) {});

    MainLoop::runFor(std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 30)(random)));
    return 0;
}
