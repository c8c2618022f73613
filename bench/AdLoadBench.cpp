// A public ad load against the local ad service on a loopback port, answering 50 line items of the
// example network: against a bare libcurl round trip of the same bid request bytes and the same
// answer, with the SDK's own bid exchange (assembly, transport, decode) timed in the same
// iterations, a waterfall of 49 no-fills before its fill, and the heap that 100 loaded ads hold
// against 100 decoded copies of their answer. Besides: a loaded interstitial's show() to its
// did-display callback with a network that presents at once, and a loaded native ad's getAdView()
// against the example network's adapter making the same template view directly.
//
// Each ad format is one `FormatCase` (how to load one ad and tell its outcome); every load and heap
// benchmark runs for each registered case, so another format is one more entry in `formatCases()`.
#if !defined(SOLEN_HAVE_ADSERVER)
int main() { return 0; }  // built without the tools: there is no service to load from
#else

// Every allocation is counted: cheap next to a loopback round trip, and the same for the baseline
// and the path under test.
#include "CountingAllocator.h"
#include "PublicLoadSupport.h"

#include "Ad/Network/AdNetworkInterface.h"
#include "Ad/Network/Models/AdResponse.h"
#include "Ad/Network/Models/AdSetting.h"
#include "Commons/Utilities/Logger.h"
#include "ExampleNativeAdapter.h"
#include "Platform/UI/Screen.h"
#include "adserver/AdService.h"
#include "adserver/S2sScenario.h"
#include "support/DispatchWait.h"
#include "support/LocalAdServiceSdk.h"
#include "support/ScopedApplication.h"
#include "support/ScopedUserDefaults.h"
#include "support/ScriptedNetwork.h"

#include <solen/Solen.h>
#include <solen/SolenBanner.h>
#include <solen/SolenInterstitial.h>
#include <solen/SolenNative.h>

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace solen {
namespace {

using namespace std::chrono_literals;
using Json = nlohmann::ordered_json;

constexpr int lineItems = 50;
constexpr int heldAds = 100;

// One loaded (or failed) ad of a format: `finished` tells when its terminal callback came, `filled`
// whether it was a load. Keeping the handle keeps the ad.
struct LoadHandle {
    std::shared_ptr<void> ad;
    std::function<bool()> finished;
    std::function<bool()> filled;
};

struct FormatCase {
    const char* name;
    // Ad unit ids below are "<prefix>-head" and "<prefix>-waterfall".
    const char* unitPrefix;
    std::function<LoadHandle(const std::string& adUnitId)> load;
    // The placement the bid request describes, for the SDK's bid exchange alone.
    AdFormat format = AdFormat::banner;
    AdSetting::Size size{320, 50};
    // Members of the answer besides its line items (e.g. "rewardedVideo").
    Json answerMembers = Json::object();
    // The answer whose first `noFills` line items fail; none: the example network's.
    std::function<adserver::Answer(int noFills)> answerWith = nullptr;
};

using bench::LoadOutcome;
using bench::RecordingNativeDelegate;

class RecordingBannerDelegate final : public SolenBannerDelegate, public LoadOutcome {
public:
    std::shared_ptr<platform::ViewController> viewControllerForSolenBannerFullScreen() override { return nullptr; }
    void solenBannerDidLoad(SolenBanner&) override { loaded = true; }
    void solenBannerDidFailToLoad(SolenBanner&, const platform::Error& error) override { fail(error); }
};

class RecordingInterstitialDelegate final : public SolenInterstitialDelegate, public LoadOutcome {
public:
    void solenInterstitialDidLoad(SolenInterstitial&) override { loaded = true; }
    void solenInterstitialDidFailToLoad(SolenInterstitial&, const platform::Error& error) override { fail(error); }
    void solenInterstitialDidDisplay(SolenInterstitial&) override { ++displayed; }
    void solenInterstitialDidDismiss(SolenInterstitial&) override { ++dismissed; }
    void solenInterstitialDidFailToDisplay(SolenInterstitial&, const platform::Error& error) override {
        std::fprintf(stderr, "AdLoadBench: show failed: %lld %s\n", static_cast<long long>(error.code), error.localizedDescription.c_str());
        ++dismissed;
    }
    int displayed = 0;
    int dismissed = 0;
};

// Loads `ad`, which reports to `delegate`; the handle keeps both.
template <class Ad, class Delegate>
LoadHandle loadAndKeep(std::shared_ptr<Ad> ad, std::shared_ptr<Delegate> delegate) {
    ad->load();
    const auto pair = std::make_shared<std::pair<std::shared_ptr<Ad>, std::shared_ptr<Delegate>>>(ad, delegate);
    return {pair, [delegate] { return delegate->loaded || delegate->failed; }, [delegate] { return delegate->loaded; }};
}

LoadHandle loadBanner(const std::string& adUnitId) {
    const auto delegate = std::make_shared<RecordingBannerDelegate>();
    return loadAndKeep(SolenBanner::create(adUnitId, {320, 50}, delegate), delegate);
}

LoadHandle loadInterstitial(const std::string& adUnitId) {
    const auto delegate = std::make_shared<RecordingInterstitialDelegate>();
    return loadAndKeep(SolenInterstitial::create(adUnitId, delegate), delegate);
}

constexpr platform::Size nativeSize{320, 250};

LoadHandle loadNative(const std::string& adUnitId) {
    const auto delegate = std::make_shared<RecordingNativeDelegate>();
    return loadAndKeep(SolenNative::create(adUnitId, nativeSize, delegate), delegate);
}

AdSetting::Size screenSize() {
    const platform::Rect screen = platform::Screen::main().bounds();
    return {screen.size.width, screen.size.height};
}

// Server-to-server banners of a small page, rendered by the SDK; a line item that fails carries
// markup that is not base64. No trackers.
adserver::Answer s2sBannerAnswer(int noFills) {
    const std::string page = adserver::S2sScenario::base64("<div style=\"width:320px;height:50px\">bench</div>");
    Json ads = Json::array();
    for (int i = 0; i < lineItems; ++i) {
        Json item = adserver::S2sScenario::lineItem("li-" + std::to_string(i), i < noFills ? "not base64!" : page);
        item["trackers"] = Json::object();
        ads.push_back(std::move(item));
    }
    return adserver::S2sScenario::answer("bench-s2s", std::move(ads));
}

const std::vector<FormatCase>& formatCases() {
    static const std::vector<FormatCase> cases{
        {"Banner", "bench-banner", loadBanner},
        {"Interstitial", "bench-interstitial", loadInterstitial, AdFormat::interstitial, screenSize()},
        {"Rewarded", "bench-rewarded", loadInterstitial, AdFormat::interstitial, screenSize(), Json{{"rewardedVideo", true}}},
        {"Native", "bench-native", loadNative, AdFormat::native, {nativeSize.width, nativeSize.height}},
        {"S2sBanner", "bench-s2s-banner", loadBanner, AdFormat::banner, {320, 50}, Json::object(), s2sBannerAnswer},
    };
    return cases;
}

// The interstitial ad unit of the show benchmark: its ads dismiss themselves as soon as they
// presented, so the next show finds the presenting controller free.
constexpr const char* showUnit = "bench-show-interstitial";

// Line items of the example network, answering at once, without trackers; `meta` adds settings.
Json lineItem(int index, const char* behaviour, const Json& meta) {
    Json settings{{"behaviour", behaviour}, {"creativeId", "cr-" + std::to_string(index)}};
    settings.update(meta);
    return Json{{"lineItemId", "li-" + std::to_string(index)},
                {"networkId", "example-waterfall"},
                {"lineItemMeta", std::move(settings)},
                {"s2s", false},
                {"timeout", 3000},
                {"trackers", Json::object()}};
}

adserver::Answer answer(int noFills, const Json& members = Json::object(), const Json& meta = Json::object(), int items = lineItems) {
    Json ads = Json::array();
    for (int i = 0; i < items; ++i) ads.push_back(lineItem(i, i < noFills ? "noFill" : "fill", meta));
    Json body{{"refreshConfig", false}, {"noAdFillEventUrl", "${BASE_URL}/track/nofill"}, {"auctionTimeout", 10000}, {"ads", ads}};
    body.update(members);
    return adserver::Answer{200, std::move(body), {}};
}

[[noreturn]] void stop(const std::string& why) { bench::stop("AdLoadBench", why); }

// The local service, an initialised SDK, and per format the bytes of one bid request of its
// head-fill unit and of the answer to it.
struct Environment {
    Environment() {
        adserver::Scenario scenario = adserver::Scenario::defaults();
        for (const FormatCase& format : formatCases()) {
            const auto answerOf = [&](int noFills) {
                return format.answerWith ? format.answerWith(noFills) : answer(noFills, format.answerMembers);
            };
            scenario.bids[std::string(format.unitPrefix) + "-head"] = {answerOf(0)};
            scenario.bids[std::string(format.unitPrefix) + "-waterfall"] = {answerOf(lineItems - 1)};
        }
        // One line item: the show does not depend on the answer, and its loads are not timed.
        scenario.bids[showUnit] = {answer(0, Json::object(), Json{{"showMs", 0}}, 1)};
        service = test::startServiceAndSdk(std::move(scenario), "bench-app");
        if (!service) stop("the service or the SDK did not start");
        curl = curl_easy_init();
        headers = curl_slist_append(headers, "Content-Type: application/json");
        curl_easy_setopt(curl, CURLOPT_URL, (service->baseUrl() + "/bid").c_str());
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        // The same content encodings as the SDK's session asks for, so the service answers both
        // with the same (compressed) bytes and the baseline pays the same compression.
        curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, bench::appendToString);

        // One load of each format records the SDK's bid request; a bare round trip of it records
        // the answer.
        for (const FormatCase& format : formatCases()) {
            service->clearRequests();
            const LoadHandle handle = format.load(std::string(format.unitPrefix) + "-head");
            if (!test::waitUntil(handle.finished, 10s) || !handle.filled()) {
                stop(std::string("the first load of ") + format.name + " failed\n" + service->timeline());
            }
            Exchange& exchange = exchanges[format.name];
            for (const auto& request : service->requests()) {
                if (request.kind == adserver::ServiceRequest::Kind::bid) exchange.request = request.body;
            }
            exchange.answer = bareRoundTrip(exchange.request);
            if (exchange.request.empty() || exchange.answer.empty()) stop(std::string("no bid request or answer for ") + format.name);
        }
        service->clearRequests();
    }

    // One POST of `request` over a kept-alive connection; the answer's bytes.
    std::string bareRoundTrip(const std::string& request) {
        std::string body;
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(request.size()));
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
        if (curl_easy_perform(curl) != CURLE_OK) body.clear();
        return body;
    }

    struct Exchange {
        std::string request;
        std::string answer;
    };

    test::ScopedUserDefaults defaults;
    test::ScopedApplication application;
    std::unique_ptr<adserver::AdService> service;
    std::map<std::string, Exchange> exchanges;  // by format name
    CURL* curl = nullptr;
    curl_slist* headers = nullptr;
};

Environment& environment() {
    static Environment* instance = new Environment();
    return *instance;
}

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point begin) { return std::chrono::duration<double>(Clock::now() - begin).count(); }

// The baseline alone: the first format's bid request posted with libcurl, the answer read whole.
void BM_BareCurlRoundTrip(benchmark::State& state) {
    Environment& env = environment();
    const Environment::Exchange& exchange = env.exchanges.at(formatCases().front().name);
    for (auto _ : state) {
        if (env.bareRoundTrip(exchange.request).size() != exchange.answer.size()) {
            state.SkipWithError("the service did not answer");
            break;
        }
    }
}

// The SDK's bid exchange alone: assembly, transport and decode, to the decoded answer's arrival.
class SdkBidExchange {
public:
    explicit SdkBidExchange(const FormatCase& format) : client_(AdNetworkInterface::create()), unit_(std::string(format.unitPrefix) + "-head") {
        AdSetting setting;
        setting.adType = format.format;
        setting.adUnitId = unit_;
        setting.adSize = format.size;
        impression_ = ImpressionInfo::from(setting);
        client_->setDidGetAdResponse([this](const AdResponse&, const std::string&) { outcome_ = 1; });
        client_->setDidFailToGetAdResponseWithError([this](const AdError&, const std::string&) { outcome_ = 2; });
    }
    bool run() {
        outcome_ = 0;
        client_->getAd("bench", unit_, impression_);
        return test::waitUntil([this] { return outcome_.load() != 0; }, 10s) && outcome_.load() == 1;
    }

private:
    std::shared_ptr<AdNetworkInterface> client_;
    std::string unit_;
    ImpressionInfo impression_;
    std::atomic<int> outcome_{0};
};

// A public load to its loaded callback, the head filling at once. Each iteration also times, just
// before, the bare round trip of the same request and answer and the SDK's bid exchange alone, so
// the ratios compare figures of the same moments: `load_ratio` is the load against the bare round
// trip, `rest_ratio` what the load adds to the SDK's bid exchange (manager, auction, adapter load,
// hops) against it. The benchmark's time is the load's.
void BM_LoadHeadFills(benchmark::State& state, const FormatCase* format) {
    Environment& env = environment();
    const Environment::Exchange& exchange = env.exchanges.at(format->name);
    const std::string unit = std::string(format->unitPrefix) + "-head";
    SdkBidExchange sdkExchange(*format);
    double bare = 0;
    double bid = 0;
    double load = 0;
    for (auto _ : state) {
        auto begin = Clock::now();
        if (env.bareRoundTrip(exchange.request).size() != exchange.answer.size()) {
            state.SkipWithError("the service did not answer");
            break;
        }
        bare += secondsSince(begin);
        begin = Clock::now();
        if (!sdkExchange.run()) {
            state.SkipWithError("the bid exchange failed");
            break;
        }
        bid += secondsSince(begin);
        begin = Clock::now();
        const LoadHandle handle = format->load(unit);
        if (!test::waitUntil(handle.finished, 10s) || !handle.filled()) {
            state.SkipWithError("the load did not fill");
            break;
        }
        const double seconds = secondsSince(begin);
        load += seconds;
        state.SetIterationTime(seconds);
    }
    if (state.iterations() == 0 || bare <= 0) return;
    const double iterations = static_cast<double>(state.iterations());
    state.counters["bare_us"] = bare * 1e6 / iterations;
    state.counters["exchange_us"] = bid * 1e6 / iterations;
    state.counters["load_ratio"] = load / bare;
    state.counters["exchange_ratio"] = bid / bare;
    state.counters["rest_ratio"] = (load - bid) / bare;
}

// A public load through 49 no-fills to the last line item's fill, reported per line item.
void BM_Load49NoFillsThenFill(benchmark::State& state, const FormatCase* format) {
    environment();
    const std::string unit = std::string(format->unitPrefix) + "-waterfall";
    double seconds = 0;
    for (auto _ : state) {
        const auto begin = Clock::now();
        const LoadHandle handle = format->load(unit);
        if (!test::waitUntil(handle.finished, 10s) || !handle.filled()) {
            state.SkipWithError("the load did not fill");
            break;
        }
        seconds += secondsSince(begin);
    }
    if (state.iterations() > 0) {
        state.counters["per_line_item_us"] = seconds * 1e6 / static_cast<double>(state.iterations() * lineItems);
    }
}

// From the decoded bid response on the main thread (the start of the auction, told by its log
// line) to the loaded callback, per load of the head-fill unit: what the SDK adds once the answer
// is in, without the round trip's noise.
void BM_ResponseToDidLoad(benchmark::State& state, const FormatCase* format) {
    environment();
    const std::string unit = std::string(format->unitPrefix) + "-head";
    const auto auctionStart = std::make_shared<std::chrono::steady_clock::time_point>();
    const std::uint8_t level = Logger::logLevel();
    Logger::setLogLevel(2);
    Logger::Sink previous = Logger::setSink([auctionStart](std::string_view line) {
        if (line.find("Start conducting an auction") != std::string_view::npos) *auctionStart = std::chrono::steady_clock::now();
    });
    for (auto _ : state) {
        const LoadHandle handle = format->load(unit);
        if (!test::waitUntil(handle.finished, 10s) || !handle.filled()) {
            state.SkipWithError("the load did not fill");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - *auctionStart).count());
    }
    Logger::setSink(std::move(previous));
    Logger::setLogLevel(level);
}

// Heap held by 100 loaded ads against 100 decoded copies of their answer, after the work of the
// loads settled.
void BM_HeapOf100LoadedAds(benchmark::State& state, const FormatCase* format) {
    Environment& env = environment();
    const std::string& answerBody = env.exchanges.at(format->name).answer;
    const std::string unit = std::string(format->unitPrefix) + "-head";
    double ratio = 0;
    double perAd = 0;
    double perAnswer = 0;
    for (auto _ : state) {
        test::settle();
        std::size_t before = heapLive.load();
        {
            std::vector<AdResponse> answers;
            answers.reserve(heldAds);
            for (int i = 0; i < heldAds; ++i) answers.push_back(AdResponse::decode(answerBody));
            perAnswer = (static_cast<double>(heapLive.load()) - static_cast<double>(before)) / heldAds;
        }
        // The service shares the process: its record of requests is left out of the figure.
        env.service->clearRequests();
        test::settle();
        before = heapLive.load();
        std::vector<LoadHandle> ads;
        ads.reserve(heldAds);
        // One load at a time: the figure is what loaded ads hold, not the peak of 100 exchanges.
        bool allLoaded = true;
        for (int i = 0; i < heldAds && allLoaded; ++i) {
            ads.push_back(format->load(unit));
            allLoaded = test::waitUntil(ads.back().finished, 10s);
        }
        test::settle();
        if (!allLoaded || !std::all_of(ads.begin(), ads.end(), [](const LoadHandle& ad) { return ad.filled(); })) {
            state.SkipWithError("not every ad loaded");
            break;
        }
        env.service->clearRequests();
        perAd = (static_cast<double>(heapLive.load()) - static_cast<double>(before)) / heldAds;
        ratio = perAnswer > 0 ? perAd / perAnswer : 0;
        ads.clear();
        test::settle();
    }
    state.counters["bytes_per_ad"] = perAd;
    state.counters["bytes_per_answer"] = perAnswer;
    state.counters["ratio"] = ratio;
}

// show() of a loaded public interstitial to its solenInterstitialDidDisplay, the example network
// presenting at once over the key window's root controller; the load before and the dismissal
// after (the line items' "showMs" is 0) are not timed.
void BM_InterstitialShowToDidDisplay(benchmark::State& state) {
    Environment& env = environment();
    const auto window = env.application.showKeyWindow();
    window->setRootViewController(platform::ViewController::create());
    const auto root = window->rootViewController();
    for (auto _ : state) {
        const auto delegate = std::make_shared<RecordingInterstitialDelegate>();
        const auto ad = SolenInterstitial::create(showUnit, delegate);
        ad->load();
        if (!test::waitUntil([&] { return delegate->loaded || delegate->failed; }, 10s) || !ad->isReady()) {
            state.SkipWithError("the load did not finish");
            break;
        }
        const auto begin = Clock::now();
        ad->show(root);
        if (!test::waitUntil([&] { return delegate->displayed != 0 || delegate->dismissed != 0; }, 10s) ||
            delegate->displayed == 0) {
            state.SkipWithError("the ad was not displayed");
            break;
        }
        state.SetIterationTime(secondsSince(begin));
        if (!test::waitUntil([&] { return delegate->dismissed != 0; }, 10s)) {
            state.SkipWithError("the ad was not dismissed");
            break;
        }
    }
    test::settle();
}

// getAdView() of a loaded public native ad with a template class, against the example network's
// native adapter (a loaded one of its own) making the same template view directly, both in every
// iteration; `ratio` is the public call against the direct one. The benchmark's time is the public
// call's.
void BM_NativeGetAdView(benchmark::State& state) {
    environment();
    const SolenAdViewConfiguration::TemplateFactory templateClass = SolenAdViewConfiguration::templateOf<test::ScriptedNativeTemplateView>();
    const auto delegate = std::make_shared<RecordingNativeDelegate>();
    const auto native = SolenNative::create("bench-native-head", nativeSize, delegate);
    native->setAdTemplateViewClass(templateClass);
    native->load();
    const auto direct = std::make_shared<example::ExampleNativeAdapter>();
    AdapterAdConfiguration adConfiguration;
    adConfiguration.lineItemConfig = Json{{"behaviour", "fill"}, {"creativeId", "cr-0"}};
    direct->load(adConfiguration);
    if (!test::waitUntil([&] { return delegate->loaded || delegate->failed; }, 10s) || !delegate->loaded) {
        state.SkipWithError("the load did not finish");
        return;
    }
    SolenAdViewConfiguration configuration;
    configuration.adTemplateClass = templateClass;
    double directSeconds = 0;
    double publicSeconds = 0;
    for (auto _ : state) {
        auto begin = Clock::now();
        auto made = direct->getAdView(configuration);
        directSeconds += secondsSince(begin);
        begin = Clock::now();
        auto view = native->getAdView();
        const double seconds = secondsSince(begin);
        publicSeconds += seconds;
        state.SetIterationTime(seconds);
        if (!made || !view) {
            state.SkipWithError("no view");
            break;
        }
        benchmark::DoNotOptimize(made);
        benchmark::DoNotOptimize(view);
    }
    if (state.iterations() > 0 && directSeconds > 0) {
        state.counters["direct_us"] = directSeconds * 1e6 / static_cast<double>(state.iterations());
        state.counters["ratio"] = publicSeconds / directSeconds;
    }
    test::settle();
}

}  // namespace
}  // namespace solen

int main(int argc, char** argv) {
    using namespace solen;
    benchmark::Initialize(&argc, argv);
    benchmark::RegisterBenchmark("BM_BareCurlRoundTrip", BM_BareCurlRoundTrip)->Unit(benchmark::kMicrosecond);
    for (const FormatCase& format : formatCases()) {
        const std::string name = format.name;
        benchmark::RegisterBenchmark(("BM_" + name + "LoadHeadFills").c_str(), BM_LoadHeadFills, &format)
            ->Unit(benchmark::kMicrosecond)
            ->UseManualTime();
        benchmark::RegisterBenchmark(("BM_" + name + "ResponseToDidLoad").c_str(), BM_ResponseToDidLoad, &format)
            ->UseManualTime()
            ->Iterations(200)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("BM_" + name + "Load49NoFillsThenFill").c_str(), BM_Load49NoFillsThenFill, &format)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("BM_" + name + "HeapOf100Loaded").c_str(), BM_HeapOf100LoadedAds, &format)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
    }
    // A fixed count: each show needs a load before it, which takes far longer than the show.
    benchmark::RegisterBenchmark("BM_InterstitialShowToDidDisplay", BM_InterstitialShowToDidDisplay)
        ->Unit(benchmark::kMicrosecond)
        ->UseManualTime()
        ->Iterations(2000);
    benchmark::RegisterBenchmark("BM_NativeGetAdView", BM_NativeGetAdView)->Unit(benchmark::kMicrosecond)->UseManualTime();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

#endif
