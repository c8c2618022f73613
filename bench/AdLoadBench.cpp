// A public ad load against the local ad service on a loopback port, answering 50 line items of the
// example network: against a bare libcurl round trip of the same bid request bytes and the same
// answer, with the SDK's own bid exchange (assembly, transport, decode) in the same run, a
// waterfall of 49 no-fills before its fill, and the heap that 100 loaded ads hold against 100
// decoded copies of their answer.
//
// Each ad format is one `FormatCase` (how to load one ad and tell its outcome); every benchmark
// below runs for each registered case, so another format is one more entry in `formatCases()`.
#if !defined(SOLEN_HAVE_ADSERVER)
int main() { return 0; }  // built without the tools: there is no service to load from
#else

// Every allocation is counted: cheap next to a loopback round trip, and the same for the baseline
// and the path under test.
#include "CountingAllocator.h"

#include "Ad/Network/AdNetworkInterface.h"
#include "Ad/Network/Models/AdResponse.h"
#include "Ad/Network/Models/AdSetting.h"
#include "Commons/Utilities/Logger.h"
#include "Platform/Device/OperatingSystem.h"
#include "adserver/AdService.h"
#include "adserver/S2sScenario.h"
#include "support/DispatchWait.h"
#include "support/S2sRenderers.h"
#include "support/ScopedApplication.h"
#include "support/ScopedUserDefaults.h"

#include <solen/Solen.h>
#include <solen/SolenBanner.h>

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
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
    // The bid request's format; ad unit ids below are "<prefix>-head" and "<prefix>-waterfall".
    const char* unitPrefix;
    std::function<LoadHandle(const std::string& adUnitId)> load;
    // The answer whose first `noFills` line items fail; none: the example network's.
    std::function<adserver::Answer(int noFills)> answerWith = nullptr;
};

class RecordingBannerDelegate final : public SolenBannerDelegate {
public:
    std::shared_ptr<platform::ViewController> viewControllerForSolenBannerFullScreen() override { return nullptr; }
    void solenBannerDidLoad(SolenBanner&) override { loaded = true; }
    void solenBannerDidFailToLoad(SolenBanner&, const platform::Error& error) override {
        failed = true;
        std::fprintf(stderr, "AdLoadBench: load failed: %lld %s\n", static_cast<long long>(error.code), error.localizedDescription.c_str());
    }
    bool loaded = false;
    bool failed = false;
};

LoadHandle loadBanner(const std::string& adUnitId) {
    const auto delegate = std::make_shared<RecordingBannerDelegate>();
    const auto banner = SolenBanner::create(adUnitId, {320, 50}, delegate);
    banner->load();
    const auto pair = std::make_shared<std::pair<std::shared_ptr<SolenBanner>, std::shared_ptr<RecordingBannerDelegate>>>(
        banner, delegate);
    return {pair, [delegate] { return delegate->loaded || delegate->failed; }, [delegate] { return delegate->loaded; }};
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
    static const std::vector<FormatCase> cases{{"Banner", "bench-banner", loadBanner},
                                               {"S2sBanner", "bench-s2s-banner", loadBanner, s2sBannerAnswer}};
    return cases;
}

// Line items of the example network, answering at once, without trackers.
Json lineItem(int index, const char* behaviour) {
    return Json{{"lineItemId", "li-" + std::to_string(index)},
                {"networkId", "example-waterfall"},
                {"lineItemMeta", {{"behaviour", behaviour}, {"creativeId", "cr-" + std::to_string(index)}}},
                {"s2s", false},
                {"timeout", 3000},
                {"trackers", Json::object()}};
}

adserver::Answer answer(int noFills) {
    Json ads = Json::array();
    for (int i = 0; i < lineItems; ++i) ads.push_back(lineItem(i, i < noFills ? "noFill" : "fill"));
    return adserver::Answer{200, Json{{"refreshConfig", false}, {"noAdFillEventUrl", "${BASE_URL}/track/nofill"}, {"auctionTimeout", 10000}, {"ads", ads}}, {}};
}

[[noreturn]] void stop(const std::string& why) {
    std::fprintf(stderr, "AdLoadBench: %s\n", why.c_str());
    std::abort();
}

std::size_t collectAnswer(char* data, std::size_t size, std::size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

// The local service, an initialised SDK, and the bytes of one bid request and its answer for the
// head-fill unit of the first case.
struct Environment {
    Environment() {
        test::linkS2sRenderers();
        adserver::Scenario scenario = adserver::Scenario::defaults();
        for (const FormatCase& format : formatCases()) {
            const auto answerOf = format.answerWith ? format.answerWith : answer;
            scenario.bids[std::string(format.unitPrefix) + "-head"] = {answerOf(0)};
            scenario.bids[std::string(format.unitPrefix) + "-waterfall"] = {answerOf(lineItems - 1)};
        }
        service = std::make_unique<adserver::AdService>(scenario);
        if (!service->start()) stop("the service did not start");
        ::setenv("SOLEN_SERVICE_BASE_URL", service->baseUrl().c_str(), 1);
        platform::OperatingSystem::setVersionProvider([] { return std::string("17.0"); });
        std::atomic<int> initialised{-1};
        Solen::initialize(SolenSdkConfiguration("bench-app", {}),
                          [&](std::optional<SolenSdkError> error) { initialised = error ? 1 : 0; });
        if (!test::waitUntil([&] { return initialised.load() >= 0; }, 10s) || initialised.load() != 0) {
            stop("the SDK did not initialise\n" + service->timeline());
        }

        // One load records the SDK's bid request; a bare round trip of it records the answer.
        const FormatCase& first = formatCases().front();
        service->clearRequests();
        const LoadHandle handle = first.load(std::string(first.unitPrefix) + "-head");
        if (!test::waitUntil(handle.finished, 10s) || !handle.filled()) stop("the first load failed\n" + service->timeline());
        for (const auto& request : service->requests()) {
            if (request.kind == adserver::ServiceRequest::Kind::bid) bidRequest = request.body;
        }
        curl = curl_easy_init();
        headers = curl_slist_append(headers, "Content-Type: application/json");
        curl_easy_setopt(curl, CURLOPT_URL, (service->baseUrl() + "/bid").c_str());
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        // The same content encodings as the SDK's session asks for, so the service answers both
        // with the same (compressed) bytes and the baseline pays the same compression.
        curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, bidRequest.c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(bidRequest.size()));
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collectAnswer);
        answerBody = bareRoundTrip();
        if (bidRequest.empty() || answerBody.empty()) stop("no bid request or answer");
    }

    // One POST of the recorded request over a kept-alive connection; the answer's bytes.
    std::string bareRoundTrip() {
        std::string body;
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
        if (curl_easy_perform(curl) != CURLE_OK) body.clear();
        return body;
    }

    test::ScopedUserDefaults defaults;
    test::ScopedApplication application;
    std::unique_ptr<adserver::AdService> service;
    std::string bidRequest;
    std::string answerBody;
    CURL* curl = nullptr;
    curl_slist* headers = nullptr;
};

Environment& environment() {
    static Environment* instance = new Environment();
    return *instance;
}

// The baseline: the bid request's bytes posted with libcurl, the answer read whole.
void BM_BareCurlRoundTrip(benchmark::State& state) {
    Environment& env = environment();
    for (auto _ : state) {
        const std::string body = env.bareRoundTrip();
        if (body.size() != env.answerBody.size()) {
            state.SkipWithError("the service did not answer");
            break;
        }
    }
}

// The SDK's bid exchange alone: assembly, transport and decode, to the decoded answer's arrival.
void BM_SdkBidExchange(benchmark::State& state, const FormatCase* format) {
    environment();
    const auto client = AdNetworkInterface::create();
    const std::string unit = std::string(format->unitPrefix) + "-head";
    AdSetting setting;
    setting.adUnitId = unit;
    setting.adSize = AdSetting::Size{320, 50};
    const ImpressionInfo impression = ImpressionInfo::from(setting);
    for (auto _ : state) {
        std::atomic<int> outcome{0};
        client->setDidGetAdResponse([&](const AdResponse&, const std::string&) { outcome = 1; });
        client->setDidFailToGetAdResponseWithError([&](const AdError&, const std::string&) { outcome = 2; });
        client->getAd("bench", unit, impression);
        if (!test::waitUntil([&] { return outcome.load() != 0; }, 10s) || outcome.load() != 1) {
            state.SkipWithError("the bid exchange failed");
            break;
        }
    }
}

// A public load to its loaded callback (the head fills at once), or through 49 no-fills to the
// last line item's fill; the latter reports the time per line item.
void BM_LoadToDidLoad(benchmark::State& state, const FormatCase* format, const char* unitSuffix, int perItem) {
    environment();
    const std::string unit = std::string(format->unitPrefix) + unitSuffix;
    double seconds = 0;
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        const LoadHandle handle = format->load(unit);
        if (!test::waitUntil(handle.finished, 10s) || !handle.filled()) {
            state.SkipWithError("the load did not fill");
            break;
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    }
    if (perItem > 1 && state.iterations() > 0) {
        state.counters["per_line_item_us"] = seconds * 1e6 / static_cast<double>(state.iterations() * perItem);
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
            for (int i = 0; i < heldAds; ++i) answers.push_back(AdResponse::decode(env.answerBody));
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

}  // namespace
}  // namespace solen

int main(int argc, char** argv) {
    using namespace solen;
    benchmark::Initialize(&argc, argv);
    benchmark::RegisterBenchmark("BM_BareCurlRoundTrip", BM_BareCurlRoundTrip)->Unit(benchmark::kMicrosecond);
    for (const FormatCase& format : formatCases()) {
        const std::string name = format.name;
        benchmark::RegisterBenchmark(("BM_" + name + "BidExchange").c_str(), BM_SdkBidExchange, &format)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("BM_" + name + "LoadHeadFills").c_str(), BM_LoadToDidLoad, &format, "-head", 1)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("BM_" + name + "ResponseToDidLoad").c_str(), BM_ResponseToDidLoad, &format)
            ->UseManualTime()
            ->Iterations(200)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("BM_" + name + "Load49NoFillsThenFill").c_str(), BM_LoadToDidLoad, &format,
                                     "-waterfall", lineItems)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("BM_" + name + "HeapOf100Loaded").c_str(), BM_HeapOf100LoadedAds, &format)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

#endif
