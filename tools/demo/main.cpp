// solen-demo: a host application that runs the SDK's start-up, two banners, three full-screen ads, a
// native ad, a splash, a native video ad and two server-to-server ads end to end against the local
// ad service and prints what happened. It uses the SDK's public headers only, as any host does; the
// local ad service stands for a server and keeps its own code, the scripted web view runs the ads'
// pages.
#include "DemoNativeAds.h"
#include "DemoNativeVideo.h"
#include "DemoS2sAds.h"
#include "DemoTimeline.h"

#include "adserver/AdService.h"

#include <solen/Solen.h>
#include <solen/SolenBanner.h>
#include <solen/SolenConstant.h>
#include <solen/SolenInterstitial.h>
#include <solen/ui/Window.h>
#include <solen/host/Console.h>
#include <solen/host/Device.h>
#include <solen/host/Lifecycle.h>
#include <solen/host/MainLoop.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using solen::demo::DemoTimeline;
using solen::host::Lifecycle;
using solen::host::MainLoop;

struct Options {
    std::string appId = "demo-app-0001";
    std::string ppid = "demo-ppid-0001";
    std::string store;
    std::string osVersion = "17.0";
    std::string scenario;
    long backgroundMs = 1500;
    long waitMs = 8000;
    long quietMs = 700;
};

void usage() {
    std::cerr << "usage: solen-demo [--app-id ID] [--ppid ID] [--store DIR] [--os-version X.Y] [--scenario FILE]\n"
                 "                  [--background-ms N] [--wait-ms N] [--quiet-ms N]\n"
                 "  Starts the local ad service (unless SOLEN_SERVICE_BASE_URL names one), initialises the SDK,\n"
                 "  sends the application to the background and back, and prints the timeline.\n"
                 "  --store DIR keeps the SDK's store and the documents folder there; the same DIR again is a\n"
                 "  relaunch. --ppid \"\" runs without a publisher-provided id (no analytics events).\n"
                 "  The SDK's work counts as finished after --quiet-ms without news (bounded by --wait-ms).\n";
}

std::optional<Options> parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            usage();
            std::exit(0);
        }
        if (i + 1 >= argc) {
            return std::nullopt;
        }
        const std::string value = argv[++i];
        try {
            if (arg == "--app-id") options.appId = value;
            else if (arg == "--ppid") options.ppid = value;
            else if (arg == "--store") options.store = value;
            else if (arg == "--os-version") options.osVersion = value;
            else if (arg == "--scenario") options.scenario = value;
            else if (arg == "--background-ms") options.backgroundMs = std::stol(value);
            else if (arg == "--wait-ms") options.waitMs = std::stol(value);
            else if (arg == "--quiet-ms") options.quietMs = std::stol(value);
            else return std::nullopt;
        } catch (const std::exception&) {
            return std::nullopt;
        }
    }
    if (options.backgroundMs < 0 || options.backgroundMs > 600000 || options.waitMs < 0 || options.waitMs > 600000 ||
        options.quietMs < 0 || options.quietMs > 60000) {
        return std::nullopt;
    }
    return options;
}

// Writes a banner's callbacks into the timeline with its ad unit and the creative id of its ad view
// (or the error), and counts them.
class DemoBannerDelegate final : public solen::SolenBannerDelegate {
public:
    DemoBannerDelegate(std::shared_ptr<DemoTimeline> timeline, std::string adUnitId)
        : timeline_(std::move(timeline)), adUnitId_(std::move(adUnitId)) {}

    std::shared_ptr<solen::platform::ViewController> viewControllerForSolenBannerFullScreen() override { return nullptr; }
    void solenBannerDidLoad(solen::SolenBanner& banner) override {
        ++loads;
        const auto views = banner.subviews();
        const std::string creative = views.empty() ? "(no view)" : views.front()->accessibilityLabel();
        timeline_->add("host", adUnitId_ + ": solenBannerDidLoad, creative " + creative);
    }
    void solenBannerDidFailToLoad(solen::SolenBanner&, const solen::platform::Error& error) override {
        ++failures;
        timeline_->add("host", adUnitId_ + ": solenBannerDidFailToLoad, " + std::to_string(error.code) + " " +
                                   error.localizedFailureReason.value_or(error.localizedDescription));
    }

    int loads = 0;
    int failures = 0;

private:
    std::shared_ptr<DemoTimeline> timeline_;
    std::string adUnitId_;
};

// Two banners in a window: "demo-waterfall-banner" loads through a waterfall and refreshes three
// times (a fill, a no fill, a fill); "demo-timeout-banner" fails with an auction time-out. True when
// each reached those callbacks in time.
bool runBanners(const std::shared_ptr<DemoTimeline>& timeline, std::chrono::milliseconds limit) {
    const auto window = solen::platform::Window::create();
    window->makeKeyAndVisible();
    const auto waterfall = std::make_shared<DemoBannerDelegate>(timeline, "demo-waterfall-banner");
    const auto timeout = std::make_shared<DemoBannerDelegate>(timeline, "demo-timeout-banner");
    auto refreshing = solen::SolenBanner::create("demo-waterfall-banner", {320, 50}, waterfall);
    auto failing = solen::SolenBanner::create("demo-timeout-banner", {320, 50}, timeout);
    window->addSubview(refreshing);
    window->addSubview(failing);
    timeline->add("host", "load() of demo-waterfall-banner and demo-timeout-banner, in a window");
    refreshing->load();
    failing->load();
    const auto done = [&] { return waterfall->loads + waterfall->failures >= 4 && timeout->failures >= 1; };
    MainLoop::runUntil(done, limit);
    refreshing->removeFromSuperview();
    failing->removeFromSuperview();
    timeline->add("host", "banners removed from the window");
    return waterfall->loads == 3 && waterfall->failures == 1 && timeout->failures == 1 && timeout->loads == 0;
}

// Writes a full-screen ad's callbacks into the timeline with its ad unit; the dismissal or the
// presentation failure ends its show.
class DemoFullScreenDelegate final : public solen::SolenInterstitialDelegate {
public:
    DemoFullScreenDelegate(std::shared_ptr<DemoTimeline> timeline, std::string adUnitId)
        : timeline_(std::move(timeline)), adUnitId_(std::move(adUnitId)) {}

    void solenInterstitialDidLoad(solen::SolenInterstitial&) override { note("solenInterstitialDidLoad"); }
    void solenInterstitialDidFailToLoad(solen::SolenInterstitial&, const solen::platform::Error& error) override {
        loadFailed = true;
        note("solenInterstitialDidFailToLoad, " + std::to_string(error.code));
    }
    void solenInterstitialDidFailToDisplay(solen::SolenInterstitial&, const solen::platform::Error& error) override {
        showEnded = true;
        note("solenInterstitialDidFailToDisplay, " + std::to_string(error.code) + " " +
             error.localizedFailureReason.value_or(error.localizedDescription));
    }
    void solenInterstitialWillDisplay(solen::SolenInterstitial&) override { note("solenInterstitialWillDisplay"); }
    void solenInterstitialDidDisplay(solen::SolenInterstitial&) override { note("solenInterstitialDidDisplay"); }
    void solenInterstitialImpression(solen::SolenInterstitial&, const std::optional<nlohmann::ordered_json>&) override {
        note("solenInterstitialImpression");
    }
    void solenRewardsUnlocked(solen::SolenInterstitial&, const nlohmann::ordered_json& rewards) override {
        note("solenRewardsUnlocked " + rewards.dump());
    }
    void solenInterstitialWillDismiss(solen::SolenInterstitial&) override { note("solenInterstitialWillDismiss"); }
    void solenInterstitialDidDismiss(solen::SolenInterstitial&) override {
        showEnded = true;
        note("solenInterstitialDidDismiss");
    }

    std::vector<std::string> events;
    bool loadFailed = false;
    bool showEnded = false;

private:
    void note(std::string event) {
        timeline_->add("host", adUnitId_ + ": " + event);
        events.push_back(std::move(event));
    }
    std::shared_ptr<DemoTimeline> timeline_;
    std::string adUnitId_;
};

// Loads and shows, one after the other, an interstitial, a rewarded ad and an interstitial that
// never presents (its show times out); true when each ended as expected.
bool runFullScreenAds(const std::shared_ptr<DemoTimeline>& timeline, std::chrono::milliseconds limit) {
    const auto window = solen::platform::Window::create();
    window->setRootViewController(solen::platform::ViewController::create());
    window->makeKeyAndVisible();
    bool allEnded = true;
    for (const char* unit : {"demo-interstitial", "demo-rewarded", "demo-nopresent-interstitial"}) {
        const auto delegate = std::make_shared<DemoFullScreenDelegate>(timeline, unit);
        const auto ad = solen::SolenInterstitial::create(unit, delegate);
        timeline->add("host", std::string("load() of ") + unit);
        ad->load();
        MainLoop::runUntil([&] { return ad->isReady() || delegate->loadFailed; }, limit);
        timeline->add("host", std::string("show() of ") + unit + (ad->isReady() ? " (ready)" : " (not ready)"));
        ad->show(window->rootViewController());
        MainLoop::runUntil([&] { return delegate->showEnded; }, limit);
        allEnded = allEnded && delegate->showEnded && !delegate->loadFailed;
    }
    return allEnded;
}

// Runs the main loop until the SDK's work has settled: no timeline entry (SDK log line, service
// request, callback) for `quiet`; at most `limit`.
void settle(const DemoTimeline& timeline, std::chrono::milliseconds quiet, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        MainLoop::runFor(100ms);
        if (timeline.quietFor(quiet)) {
            return;
        }
    }
}

std::string describe(const std::optional<solen::SolenSdkError>& error) {
    if (!error) {
        return "initialisation succeeded";
    }
    return "initialisation failed: " + std::string(error->errorDomain()) + " " + std::to_string(error->code()) + " \"" +
           error->localizedDescription() + "\"";
}

}  // namespace

int main(int argc, char** argv) {
    const auto parsed = parse(argc, argv);
    if (!parsed) {
        usage();
        return 2;
    }
    const Options& options = *parsed;
    std::signal(SIGPIPE, SIG_IGN);
    MainLoop::bindToCurrentThread();

    // The application's data: the SDK's store and the documents folder.
    bool temporaryStore = false;
    fs::path store = options.store;
    std::error_code error;
    if (store.empty()) {
        std::string pattern = (fs::temp_directory_path() / "solen-demo-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::cerr << "solen-demo: cannot create a temporary folder\n";
            return 1;
        }
        store = pattern;
        temporaryStore = true;
    }
    const fs::path documents = store / "Documents";
    const bool relaunch = fs::exists(documents, error);
    fs::create_directories(documents, error);
    if (error) {
        std::cerr << "solen-demo: cannot create " << documents << ": " << error.message() << "\n";
        return 1;
    }
    // The device this host pretends to be, and where the application keeps its data.
    solen::host::Device::setDataFolder(store);
    solen::host::Device::setSystemVersion(options.osVersion);
    Lifecycle::didFinishLaunching();

    // Shared with the log sink and the completion, which may run on other threads.
    const auto timelineOwner = std::make_shared<DemoTimeline>();
    DemoTimeline& timeline = *timelineOwner;

    // The local ad service, unless the environment names one.
    std::unique_ptr<solen::adserver::AdService> service;
    const char* configured = std::getenv("SOLEN_SERVICE_BASE_URL");
    std::string serviceUrl = configured != nullptr ? configured : "";
    if (serviceUrl.empty()) {
        solen::adserver::Scenario scenario = solen::adserver::Scenario::defaults();
        if (!options.scenario.empty()) {
            try {
                scenario = solen::adserver::Scenario::load(options.scenario);
            } catch (const solen::adserver::ScenarioError& failure) {
                std::cerr << "solen-demo: scenario " << options.scenario << ": " << failure.what() << "\n";
                return 2;
            }
        }
        service = std::make_unique<solen::adserver::AdService>(std::move(scenario));
        service->setObserver([&timeline](const solen::adserver::ServiceRequest& request) {
            std::string text = request.method + " " + request.target + " -> " + std::to_string(request.status);
            if (!request.summary.empty()) text += "  " + request.summary;
            timeline.add("service", std::move(text));
        });
        if (!service->start()) {
            std::cerr << "solen-demo: cannot start the local ad service\n";
            return 1;
        }
        serviceUrl = service->baseUrl();
        ::setenv("SOLEN_SERVICE_BASE_URL", serviceUrl.c_str(), 1);
    }

    std::cout << "Solen demo: SDK " << solen::Solen::getSDKVersion() << "\n"
              << "  service  " << serviceUrl << (service ? " (local ad service started by the demo)" : " (from SOLEN_SERVICE_BASE_URL)")
              << "\n"
              << "  store    " << store.string() << (relaunch ? " (relaunch)" : " (first launch)") << "\n"
              << "  app id   " << options.appId << ", ppid " << (options.ppid.empty() ? "(none)" : options.ppid)
              << ", device OS " << options.osVersion << "\n\n";

    solen::host::Console::setSink([timelineOwner](std::string_view line) {
        timelineOwner->add("sdk", DemoTimeline::withoutDate(std::string(line)));
    });
    solen::Solen::setLogLevel(solen::LogLevel::info);
    // The SDK's ad web views run their pages' scripts, so server-to-server creatives come alive.
    solen::platform::WebViewFactory::install(solen::demo::scriptedWebViews(timelineOwner));
    if (!options.ppid.empty()) {
        solen::Solen::setPPID(options.ppid);
        timeline.add("host", "setPPID(" + options.ppid + ")");
    }

    // Written by the completion's thread, read by the main thread.
    struct Outcome {
        std::atomic<bool> done{false};
        std::atomic<bool> succeeded{false};
    };
    const auto outcome = std::make_shared<Outcome>();
    timeline.add("host", "initialize(appId: " + options.appId + ")");
    solen::Solen::initialize(
        solen::SolenSdkConfiguration(options.appId, {{solen::SolenConstant::SOLEN_GDPR_CONSENT_GDPR_APPLIES, 0}}),
        [timelineOwner, outcome](std::optional<solen::SolenSdkError> failure) {
            timelineOwner->add("host", "completion: " + describe(failure));
            outcome->succeeded = !failure;
            outcome->done = true;
            // Wakes the main loop so that it sees the outcome at once.
            MainLoop::post([] {});
        });
    MainLoop::runUntil([&outcome] { return outcome->done.load(); }, std::chrono::milliseconds(options.waitMs + 15000));
    if (!outcome->done) {
        timeline.add("host", "no completion in time");
    }
    settle(timeline, std::chrono::milliseconds(options.quietMs), std::chrono::milliseconds(options.waitMs));

    bool bannersDone = false;
    bool nativeDone = false;
    bool fullScreenDone = false;
    bool nativeVideoDone = false;
    bool s2sDone = false;
    if (outcome->succeeded) {
        timeline.add("host", "application enters the background");
        Lifecycle::didEnterBackground();
        MainLoop::runFor(std::chrono::milliseconds(options.backgroundMs));
        timeline.add("host", "application returns to the foreground");
        Lifecycle::willEnterForeground();
        Lifecycle::didBecomeActive();
        settle(timeline, std::chrono::milliseconds(options.quietMs), std::chrono::milliseconds(options.waitMs));
        bannersDone = runBanners(timelineOwner, std::chrono::milliseconds(options.waitMs + 10000));
        settle(timeline, std::chrono::milliseconds(options.quietMs), std::chrono::milliseconds(options.waitMs));
        fullScreenDone = runFullScreenAds(timelineOwner, std::chrono::milliseconds(options.waitMs + 10000));
        nativeDone = solen::demo::runNativeAndSplash(timelineOwner, std::chrono::milliseconds(options.waitMs + 10000));
        nativeVideoDone = solen::demo::runNativeVideo(timelineOwner, std::chrono::milliseconds(options.waitMs + 10000));
        s2sDone = solen::demo::runServerToServerAds(timelineOwner, std::chrono::milliseconds(options.waitMs + 10000));
        settle(timeline, std::chrono::milliseconds(options.quietMs), std::chrono::milliseconds(options.waitMs));
    }

    if (service) {
        service->stop();
    }
    solen::host::Console::setSink(nullptr);
    solen::platform::WebViewFactory::install(nullptr);
    // The application closes: it goes to the background, where the SDK's stored values are saved.
    Lifecycle::didEnterBackground();

    std::cout << "Timeline (ms since the demo started)\n";
    timeline.print(std::cout);
    if (service) {
        using Kind = solen::adserver::ServiceRequest::Kind;
        std::cout << "\nThe local service received " << service->requestCount() << " requests: "
                  << service->countOf(Kind::config) << " config, " << service->countOf(Kind::bid) << " bid, "
                  << service->countOf(Kind::analytics) << " analytics (AppLaunch " << service->eventCount("AppLaunch")
                  << ", AppOpen " << service->eventCount("AppOpen") << "), " << service->countOf(Kind::other)
                  << " other\n";
    }
    std::cout << "Result: " << (outcome->succeeded ? "the SDK is initialised" : "the SDK did not initialise");
    if (outcome->succeeded) {
        std::cout << (bannersDone ? "; both banners reached their callbacks" : "; the banners did not reach their callbacks");
        std::cout << (fullScreenDone ? "; the full-screen ads ended their shows"
                                     : "; the full-screen ads did not end their shows");
        std::cout << (nativeDone ? "; the native ad and the splash reached their callbacks"
                                 : "; the native ad and the splash did not reach their callbacks");
        std::cout << (nativeVideoDone ? "; the native video ad played to its end card and took its click"
                                      : "; the native video ad did not play through");
        std::cout << (s2sDone ? "; the server-to-server banner collapsed and the interstitial was dismissed"
                              : "; the server-to-server ads did not end");
    }
    std::cout << "\n";

    if (temporaryStore) {
        fs::remove_all(store, error);
    }
    return outcome->succeeded && bannersDone && fullScreenDone && nativeDone && nativeVideoDone && s2sDone ? 0 : 1;
}
