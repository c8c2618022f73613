// Public ad loads of 50 line items of the example network, measured against honest baselines in
// the same iterations.
//
// The SDK's bid requests go to an instant server (`InstantServer`): it answers each with the answer
// bytes prepared before the run, identity encoded, so a round trip costs the client and the
// loopback and nothing else. The baseline of a load is a bare libcurl exchange of the SDK's own bid
// request bytes with that server, receiving the same answer bytes. A second, labelled case
// ("Service") sends the same loads to the local ad service (through the instant server's relay, for
// the baseline too), whose answers are compressed on every request.
//
// Per format: a load whose head fills at once (with the SDK's bid exchange alone, timed in the same
// iterations); a waterfall of 49 no-fills before its fill, reported per tried line item against the
// head-fill load of the same iterations; the time from the decoded bid response to the loaded
// callback; and the heap that 100 loaded ads hold against 100 decoded copies of their answer.
// Besides: a loaded interstitial's show() to its did-display callback with a network that presents
// at once, and a loaded native ad's getAdView() against the example network's adapter making the
// same template view directly.
//
// Callbacks are waited for by signal: the public ones arrive on the main thread, which runs its
// loop meanwhile and looks at the outcome after every block; the bid exchange's arrive on the
// session's queue and wake a condition variable.
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

#include "InstantServer.h"

#include "Ad/Network/AdNetworkInterface.h"
#include "Ad/Network/BidRequestAssembler.h"
#include "Ad/Network/Models/AdResponse.h"
#include "Ad/Network/Models/AdSetting.h"
#include "Commons/Utilities/Logger.h"
#include "ExampleNativeAdapter.h"
#include "Platform/UI/Screen.h"
#include "adserver/AdService.h"
#include "adserver/ConfigDocuments.h"
#include "adserver/S2sScenario.h"
#include "support/DispatchWait.h"
#include "support/LocalAdServiceSdk.h"
#include "support/ScopedApplication.h"
#include "support/ScopedUserDefaults.h"
#include "support/ScriptedNetwork.h"

#include <time.h>

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
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
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

// One bare libcurl exchange at a time over a kept-alive connection: a POST of prepared bytes, the
// answer's bytes read whole. The same request headers as the SDK's session (JSON content, no
// "Expect", every decoding libcurl has on offer).
class BareExchange {
public:
    explicit BareExchange(const std::string& url) {
        curl_ = curl_easy_init();
        headers_ = curl_slist_append(headers_, "Content-Type: application/json");
        headers_ = curl_slist_append(headers_, "Expect:");
        curl_easy_setopt(curl_, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl_, CURLOPT_HTTPHEADER, headers_);
        curl_easy_setopt(curl_, CURLOPT_ACCEPT_ENCODING, "");
        curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl_, CURLOPT_TCP_NODELAY, 1L);
        curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, bench::appendToString);
        curl_easy_setopt(curl_, CURLOPT_WRITEDATA, &body_);
    }
    ~BareExchange() {
        curl_slist_free_all(headers_);
        curl_easy_cleanup(curl_);
    }
    BareExchange(const BareExchange&) = delete;
    BareExchange& operator=(const BareExchange&) = delete;

    // The answer's (decoded) bytes; empty when the exchange failed.
    const std::string& post(const std::string& request) {
        body_.clear();
        curl_easy_setopt(curl_, CURLOPT_POSTFIELDS, request.c_str());
        curl_easy_setopt(curl_, CURLOPT_POSTFIELDSIZE, static_cast<long>(request.size()));
        if (curl_easy_perform(curl_) != CURLE_OK) body_.clear();
        return body_;
    }

private:
    CURL* curl_ = nullptr;
    curl_slist* headers_ = nullptr;
    std::string body_;
};

// The instant server's relay of the "Service" case: the request goes on to the local ad service
// with the client's Accept-Encoding, and its answer comes back as the service sent it (compressed).
// One kept-alive connection per relaying thread.
std::string relayToService(const std::string& serviceUrl, std::string_view head, std::string_view body) {
    struct Relay {
        CURL* curl = curl_easy_init();
        ~Relay() { curl_easy_cleanup(curl); }
    };
    thread_local Relay relay;
    std::string answer;
    std::string encoding;
    const auto headerLine = +[](char* data, std::size_t size, std::size_t count, void* target) {
        const std::string_view line(data, size * count);
        constexpr std::string_view name = "content-encoding:";
        if (line.size() > name.size() && std::equal(name.begin(), name.end(), line.begin(), [](char a, char b) {
                return a == static_cast<char>(std::tolower(static_cast<unsigned char>(b)));
            })) {
            std::string value(line.substr(name.size()));
            value.erase(0, value.find_first_not_of(' '));
            value.erase(value.find_last_not_of("\r\n ") + 1);
            *static_cast<std::string*>(target) = value;
        }
        return size * count;
    };
    curl_slist* headers = curl_slist_append(nullptr, "Content-Type: application/json");
    headers = curl_slist_append(headers, "Expect:");
    const std::string accept = "Accept-Encoding: " + std::string(bench::InstantServer::field(head, "accept-encoding:"));
    headers = curl_slist_append(headers, accept.c_str());
    CURL* curl = relay.curl;
    curl_easy_setopt(curl, CURLOPT_URL, serviceUrl.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_HTTP_CONTENT_DECODING, 0L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TCP_NODELAY, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, bench::appendToString);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, headerLine);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &encoding);
    long status = 502;
    if (curl_easy_perform(curl) == CURLE_OK) curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_slist_free_all(headers);
    std::string reply = "HTTP/1.1 " + std::to_string(status) + " Relayed\r\nContent-Type: application/json\r\n";
    if (!encoding.empty()) reply += "Content-Encoding: " + encoding + "\r\n";
    reply += "Content-Length: " + std::to_string(answer.size()) + "\r\n\r\n" + answer;
    return reply;
}

// The instant server, the local service (which serves the configuration, the trackers and the
// "Service" case), an initialised SDK whose bid requests go to the instant server, and per format
// and case the bytes of one bid request of its head-fill unit and of the answer to it.
struct Environment {
    Environment() {
        if (!front.isRunning()) stop("the instant server did not start");
        adserver::Scenario scenario = adserver::Scenario::defaults();
        scenario.documents["primeAds"] = {adserver::Scenario::defaultStamp, Json{{"url", front.baseUrl() + "/bid"}}};
        for (const FormatCase& format : formatCases()) {
            scenario.bids[std::string(format.unitPrefix) + "-service"] = {answerOf(format, 0)};
        }
        service = test::startServiceAndSdk(std::move(scenario), "bench-app");
        if (!service) stop("the service or the SDK did not start");
        front.setFallback([url = service->baseUrl() + "/bid"](std::string_view head, std::string_view body) {
            return relayToService(url, head, body);
        });
        const auto prepare = [this](const std::string& unit, const adserver::Answer& answer) {
            // The service would echo each request's id; a prepared answer carries one of its own.
            Json body = adserver::ConfigDocuments::withBaseUrl(answer.body, service->baseUrl());
            body["requestId"] = "bench-request";
            front.prepare("\"" + unit + "\"", bench::InstantServer::jsonAnswer(body.dump()));
        };
        for (const FormatCase& format : formatCases()) {
            prepare(std::string(format.unitPrefix) + "-head", answerOf(format, 0));
            prepare(std::string(format.unitPrefix) + "-waterfall", answerOf(format, lineItems - 1));
        }
        // One line item: the show does not depend on the answer, and its loads are not timed.
        prepare(showUnit, answer(0, Json::object(), Json{{"showMs", 0}}, 1));

        // One load of each format and case records the SDK's bid request; a bare exchange of it
        // records the answer.
        front.setRecording(true);
        for (const FormatCase& format : formatCases()) {
            for (const char* unitCase : {"-head", "-service"}) {
                const LoadHandle handle = format.load(std::string(format.unitPrefix) + unitCase);
                if (!test::waitUntil(handle.finished, 10s) || !handle.filled()) {
                    stop(std::string("the first load of ") + format.name + unitCase + " failed\n" + service->timeline());
                }
                Exchange& exchange = exchanges[std::string(format.name) + unitCase];
                exchange.request = front.lastRequest();
                exchange.answer = bare.post(exchange.request);
                if (exchange.request.empty() || exchange.answer.empty()) {
                    stop(std::string("no bid request or answer for ") + format.name + unitCase);
                }
            }
        }
        front.setRecording(false);
        test::settle();
        service->clearRequests();
    }

    static adserver::Answer answerOf(const FormatCase& format, int noFills) {
        return format.answerWith ? format.answerWith(noFills) : answer(noFills, format.answerMembers);
    }

    struct Exchange {
        std::string request;
        std::string answer;
    };
    // The exchange of `format`'s head-fill unit: "-head" (instant server) or "-service".
    const Exchange& exchange(const FormatCase& format, const char* unitCase = "-head") const {
        return exchanges.at(std::string(format.name) + unitCase);
    }

    test::ScopedUserDefaults defaults;
    test::ScopedApplication application;
    bench::InstantServer front;
    std::unique_ptr<adserver::AdService> service;
    std::map<std::string, Exchange> exchanges;  // by format name and unit case
    BareExchange bare{front.baseUrl() + "/bid"};
};

Environment& environment() {
    static Environment* instance = new Environment();
    return *instance;
}

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point begin) { return std::chrono::duration<double>(Clock::now() - begin).count(); }

// CPU time of the calling thread, in seconds.
double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The baseline alone: the first format's bid request exchanged with the instant server.
void BM_BareExchange(benchmark::State& state) {
    Environment& env = environment();
    const Environment::Exchange& exchange = env.exchange(formatCases().front());
    for (auto _ : state) {
        if (env.bare.post(exchange.request).size() != exchange.answer.size()) {
            state.SkipWithError("the server did not answer");
            break;
        }
    }
}

// The SDK's bid exchange alone: assembly, transport and decode, to the decoded answer's arrival on
// the session's queue, which signals the waiting thread.
class SdkBidExchange {
public:
    SdkBidExchange(const FormatCase& format, const char* unitCase)
        : client_(AdNetworkInterface::create()), unit_(std::string(format.unitPrefix) + unitCase) {
        AdSetting setting;
        setting.adType = format.format;
        setting.adUnitId = unit_;
        setting.adSize = format.size;
        impression_ = ImpressionInfo::from(setting);
        client_->setDidGetAdResponse([this](const AdResponse&, const std::string&) { finish(1); });
        client_->setDidFailToGetAdResponseWithError([this](const AdError&, const std::string&) { finish(2); });
    }
    bool run() {
        std::unique_lock lock(mutex_);
        outcome_ = 0;
        lock.unlock();
        client_->getAd("bench", unit_, impression_);
        lock.lock();
        return changed_.wait_for(lock, 10s, [this] { return outcome_ != 0; }) && outcome_ == 1;
    }
    // The two pieces of the exchange that run on the CPU alone, each timed by itself: the bid
    // request's assembly and encoding, and the decode of `answer`. False when either failed.
    bool timePieces(const std::string& answer, double& assembly, double& decode) const {
        auto begin = std::chrono::steady_clock::now();
        const auto body = BidRequestAssembler::assembleBody(unit_, impression_);
        assembly += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        if (!body) return false;
        begin = std::chrono::steady_clock::now();
        try {
            AdResponse decoded = AdResponse::decode(answer);
            decode += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
            benchmark::DoNotOptimize(decoded);
        } catch (const std::exception&) {
            return false;
        }
        return true;
    }

private:
    void finish(int outcome) {
        std::lock_guard lock(mutex_);
        outcome_ = outcome;
        changed_.notify_all();
    }

    std::shared_ptr<AdNetworkInterface> client_;
    std::string unit_;
    ImpressionInfo impression_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int outcome_ = 0;
};

// One public load of `unit` to its terminal callback (the main loop runs meanwhile): false when it
// did not fill. Adds its wall and main-thread CPU seconds.
bool timedLoad(const FormatCase& format, const std::string& unit, double& wall, double& cpu) {
    const double cpuBegin = threadCpuSeconds();
    const auto begin = Clock::now();
    const LoadHandle handle = format.load(unit);
    const bool filled = test::waitUntil(handle.finished, 10s) && handle.filled();
    wall += secondsSince(begin);
    cpu += threadCpuSeconds() - cpuBegin;
    return filled;
}

// A public load to its loaded callback, the head filling at once. Each iteration also times, just
// before, the bare exchange of the same request and answer and the SDK's bid exchange alone, so
// the ratios compare figures of the same moments: `load_ratio` is the load against the bare
// exchange, `exchange_ratio` the SDK's bid exchange against it, `rest_ratio` what the load adds to
// the SDK's bid exchange (manager, auction, adapter load, hops) against it. The exchange's pieces,
// against the bare exchange too, add up to `exchange_ratio`: 1 (the bare exchange) +
// `assembly_ratio` (the bid request assembled and encoded, timed by itself) + `decode_ratio` (the
// answer decoded, timed by itself) + `hops_ratio` (the rest: thread hops, request building,
// transport set-up, copies). `main_cpu_us` is the main thread's CPU time per load (its loop's
// brief spins while it waits included). The benchmark's time is the load's. `unitCase` "-head": the instant server; "-service": the local
// ad service's compressed answers.
void BM_LoadHeadFills(benchmark::State& state, const FormatCase* format, const char* unitCase) {
    Environment& env = environment();
    const Environment::Exchange& exchange = env.exchange(*format, unitCase);
    const std::string unit = std::string(format->unitPrefix) + unitCase;
    SdkBidExchange sdkExchange(*format, unitCase);
    double bare = 0;
    double bid = 0;
    double load = 0;
    double cpu = 0;
    double assembly = 0;
    double decode = 0;
    for (auto _ : state) {
        auto begin = Clock::now();
        if (env.bare.post(exchange.request).size() != exchange.answer.size()) {
            state.SkipWithError("the server did not answer");
            break;
        }
        bare += secondsSince(begin);
        begin = Clock::now();
        if (!sdkExchange.run()) {
            state.SkipWithError("the bid exchange failed");
            break;
        }
        bid += secondsSince(begin);
        if (!sdkExchange.timePieces(exchange.answer, assembly, decode)) {
            state.SkipWithError("the bid request or the answer could not be made");
            break;
        }
        const double before = load;
        if (!timedLoad(*format, unit, load, cpu)) {
            state.SkipWithError("the load did not fill");
            break;
        }
        state.SetIterationTime(load - before);
    }
    if (state.iterations() == 0 || bare <= 0) return;
    const double iterations = static_cast<double>(state.iterations());
    state.counters["bare_us"] = bare * 1e6 / iterations;
    state.counters["exchange_us"] = bid * 1e6 / iterations;
    state.counters["main_cpu_us"] = cpu * 1e6 / iterations;
    state.counters["load_ratio"] = load / bare;
    state.counters["exchange_ratio"] = bid / bare;
    state.counters["rest_ratio"] = (load - bid) / bare;
    state.counters["assembly_us"] = assembly * 1e6 / iterations;
    state.counters["decode_us"] = decode * 1e6 / iterations;
    state.counters["assembly_ratio"] = assembly / bare;
    state.counters["decode_ratio"] = decode / bare;
    state.counters["hops_ratio"] = (bid - assembly - decode - bare) / bare;
}

// A public load through 49 no-fills to the last line item's fill, against the bare exchange of the
// same answer size class and the head-fill load, all three in each iteration. Per tried line item
// (what the 49 extra tries add to the head-fill load, divided by 49): `wall_us_per_item` and
// `main_cpu_us_per_item`. The benchmark's time is the waterfall load's.
void BM_Load49NoFillsThenFill(benchmark::State& state, const FormatCase* format) {
    Environment& env = environment();
    const Environment::Exchange& exchange = env.exchange(*format);
    const std::string head = std::string(format->unitPrefix) + "-head";
    const std::string waterfall = std::string(format->unitPrefix) + "-waterfall";
    double bare = 0;
    double headWall = 0;
    double headCpu = 0;
    double wall = 0;
    double cpu = 0;
    for (auto _ : state) {
        const auto begin = Clock::now();
        if (env.bare.post(exchange.request).size() != exchange.answer.size()) {
            state.SkipWithError("the server did not answer");
            break;
        }
        bare += secondsSince(begin);
        const double before = wall;
        if (!timedLoad(*format, head, headWall, headCpu) || !timedLoad(*format, waterfall, wall, cpu)) {
            state.SkipWithError("the load did not fill");
            break;
        }
        state.SetIterationTime(wall - before);
    }
    if (state.iterations() == 0 || bare <= 0) return;
    const double tries = static_cast<double>(state.iterations()) * (lineItems - 1);
    state.counters["bare_us"] = bare * 1e6 / static_cast<double>(state.iterations());
    state.counters["load_ratio"] = wall / bare;
    state.counters["wall_us_per_item"] = (wall - headWall) * 1e6 / tries;
    state.counters["main_cpu_us_per_item"] = (cpu - headCpu) * 1e6 / tries;
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
    const std::string& answerBody = env.exchange(*format).answer;
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
    benchmark::RegisterBenchmark("BM_BareExchange", BM_BareExchange)->Unit(benchmark::kMicrosecond);
    for (const FormatCase& format : formatCases()) {
        const std::string name = format.name;
        benchmark::RegisterBenchmark(("BM_" + name + "LoadHeadFills").c_str(), BM_LoadHeadFills, &format, "-head")
            ->Unit(benchmark::kMicrosecond)
            ->UseManualTime();
        benchmark::RegisterBenchmark(("BM_" + name + "ServiceLoadHeadFills").c_str(), BM_LoadHeadFills, &format, "-service")
            ->Unit(benchmark::kMicrosecond)
            ->UseManualTime();
        benchmark::RegisterBenchmark(("BM_" + name + "ResponseToDidLoad").c_str(), BM_ResponseToDidLoad, &format)
            ->UseManualTime()
            ->Iterations(200)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("BM_" + name + "Load49NoFillsThenFill").c_str(), BM_Load49NoFillsThenFill, &format)
            ->Unit(benchmark::kMicrosecond)
            ->UseManualTime();
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
