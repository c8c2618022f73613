// A public native ad won server to server, from its load to solenNativeDidLoad, against the local
// ad service on a loopback port: the bid exchange, then the creative's icon and picture media
// downloaded and read. The baseline, in the same iterations, is the same three requests made
// with bare libcurl over kept-alive connections: the recorded bid request's bytes posted, then
// both pictures fetched one after the other, or both at once, each answer read whole.
#if !defined(SOLEN_HAVE_ADSERVER)
int main() { return 0; }  // built without the tools: there is no service to load from
#else

#include "PublicLoadSupport.h"

#include "Platform/Dispatch/MainLoop.h"
#include "adserver/AdService.h"
#include "adserver/NativeVideoScenario.h"
#include "adserver/PngImage.h"
#include "support/LocalAdServiceSdk.h"
#include "support/ScopedApplication.h"
#include "support/ScopedUserDefaults.h"

#include <solen/SolenNative.h>

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace solen {
namespace {

using namespace std::chrono_literals;
using adserver::NativeVideoScenario;
using Json = nlohmann::ordered_json;

const std::string kUnit = "bench-s2s-native";
const std::string kMediaPath = "/img/media.png";

[[noreturn]] void stop(const std::string& why) { bench::stop("S2sNativeLoadBench", why); }

// The service answering one native line item without trackers (a picture media of 320×180 and
// the 64×64 icon), an initialised SDK, and a libcurl handle that repeats one load's requests.
struct Environment {
    Environment() {
        adserver::Scenario scenario = adserver::Scenario::defaults();
        Json item = NativeVideoScenario::lineItem("bn-1", NativeVideoScenario::imageMedia(kMediaPath));
        item["trackers"] = Json::object();
        scenario.bids[kUnit] = {NativeVideoScenario::answer(kUnit, Json::array({item}))};
        scenario.files[kMediaPath] = adserver::ServedFile{200, "image/png", adserver::PngImage::make(320, 180, 0x208040)};
        service = test::startServiceAndSdk(std::move(scenario), "bench-app");
        if (!service) stop("the service or the SDK did not start");

        // One load records the SDK's requests; the baseline repeats them.
        service->clearRequests();
        if (!loadOnce()) stop("the first load failed\n" + service->timeline());
        for (const auto& request : service->requests()) {
            if (request.kind == adserver::ServiceRequest::Kind::bid) bidRequest = request.body;
        }
        curl = curl_easy_init();
        headers = curl_slist_append(headers, "Content-Type: application/json");
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        // The same content encodings as the SDK's session asks for: both get the same bytes.
        curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, bench::appendToString);
        multi = curl_multi_init();
        pictures[0] = curl_easy_init();
        pictures[1] = curl_easy_init();
        const std::vector<std::size_t> sizes = bareRoundTrips();
        if (bidRequest.empty() || std::ranges::count(sizes, 0u) > 0 || bareRoundTrips(true) != sizes) {
            stop("no bid request or answers\n" + service->timeline());
        }
    }

    // One public load to its terminal callback; whether it loaded.
    bool loadOnce() {
        const auto recorder = std::make_shared<bench::RecordingNativeDelegate>();
        const auto native = SolenNative::create(kUnit, {300, 250}, recorder);
        native->load();
        platform::MainLoop::shared().runUntil([&] { return recorder->loaded || recorder->failed; }, 10s);
        return recorder->loaded;
    }

    // The bid request posted, then the icon and the media fetched, one after the other or both at
    // once (as the SDK fetches them); the sizes of the three answers.
    std::vector<std::size_t> bareRoundTrips(bool picturesAtOnce = false) {
        const std::string base = service->baseUrl();
        std::vector<std::string> bodies(3);
        curl_easy_setopt(curl, CURLOPT_URL, (base + "/bid").c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, bidRequest.c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(bidRequest.size()));
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &bodies[0]);
        bool ok = curl_easy_perform(curl) == CURLE_OK;
        const std::string paths[] = {NativeVideoScenario::iconPath, kMediaPath};
        for (int i = 0; i < 2; ++i) {
            CURL* handle = picturesAtOnce ? pictures[i] : curl;
            curl_easy_setopt(handle, CURLOPT_URL, (base + paths[i]).c_str());
            curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
            curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, bench::appendToString);
            curl_easy_setopt(handle, CURLOPT_WRITEDATA, &bodies[i + 1]);
            if (picturesAtOnce) {
                curl_multi_add_handle(multi, handle);
            } else {
                ok = ok && curl_easy_perform(handle) == CURLE_OK;
            }
        }
        if (picturesAtOnce) {
            for (int running = 1; running > 0 && ok;) {
                ok = curl_multi_perform(multi, &running) == CURLM_OK &&
                     (running == 0 || curl_multi_poll(multi, nullptr, 0, 1000, nullptr) == CURLM_OK);
            }
            for (CURL* handle : pictures) curl_multi_remove_handle(multi, handle);
        }
        std::vector<std::size_t> sizes;
        for (const std::string& body : bodies) sizes.push_back(ok ? body.size() : 0);
        return sizes;
    }

    test::ScopedUserDefaults defaults;
    test::ScopedApplication application;
    std::unique_ptr<adserver::AdService> service;
    std::string bidRequest;
    CURL* curl = nullptr;
    curl_slist* headers = nullptr;
    CURLM* multi = nullptr;
    CURL* pictures[2] = {nullptr, nullptr};
};

Environment& environment() {
    static Environment* instance = new Environment();
    return *instance;
}

// Seconds `work` takes.
template <class Work>
double seconds(Work&& work) {
    const auto begin = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
}

// Load to didLoad as the iteration time; after each load the bare round trips of the same
// requests, the pictures one after the other (baseline_us) and both at once
// (baseline_parallel_us), per load, and the ratios of the totals.
void BM_S2sNativeLoadToDidLoad(benchmark::State& state) {
    Environment& env = environment();
    double load = 0;
    double sequential = 0;
    double parallel = 0;
    for (auto _ : state) {
        bool loaded = false;
        const double elapsed = seconds([&] { loaded = env.loadOnce(); });
        if (!loaded) {
            state.SkipWithError("the load did not succeed");
            break;
        }
        state.SetIterationTime(elapsed);
        load += elapsed;
        sequential += seconds([&] { env.bareRoundTrips(); });
        parallel += seconds([&] { env.bareRoundTrips(true); });
        env.service->clearRequests();
    }
    if (state.iterations() > 0) {
        const auto perLoad = [&](double total) { return total * 1e6 / static_cast<double>(state.iterations()); };
        state.counters["baseline_us"] = perLoad(sequential);
        state.counters["baseline_parallel_us"] = perLoad(parallel);
        state.counters["ratio"] = sequential > 0 ? load / sequential : 0;
        state.counters["ratio_parallel"] = parallel > 0 ? load / parallel : 0;
    }
}

}  // namespace
}  // namespace solen

int main(int argc, char** argv) {
    solen::platform::MainLoop::shared().bindToCurrentThread();
    benchmark::Initialize(&argc, argv);
    benchmark::RegisterBenchmark("BM_S2sNativeLoadToDidLoad", solen::BM_S2sNativeLoadToDidLoad)
        ->UseManualTime()
        ->Unit(benchmark::kMicrosecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

#endif
