// Round trip of a 4 KB JSON POST answered with 12 KB on loopback: the SDK's transport
// (NetworkServiceProvider over the libcurl session, completion on the session queue) next to a
// bare libcurl loop on one reused easy handle, in the same run against the same local server.

#include "Commons/Network/NetworkServiceProvider.h"
#include "Platform/Foundation/HttpSession.h"
#include "support/LocalHttpServer.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <dlfcn.h>

#include <condition_variable>
#include <mutex>
#include <string>

namespace {

using solen::Json;

// libcurl is loaded with the SDK; its entry points are looked up rather than linked again.
struct Curl {
    decltype(&curl_easy_init) init = reinterpret_cast<decltype(init)>(dlsym(RTLD_DEFAULT, "curl_easy_init"));
    decltype(&curl_easy_setopt) setopt = reinterpret_cast<decltype(setopt)>(dlsym(RTLD_DEFAULT, "curl_easy_setopt"));
    decltype(&curl_easy_perform) perform = reinterpret_cast<decltype(perform)>(dlsym(RTLD_DEFAULT, "curl_easy_perform"));
    decltype(&curl_easy_cleanup) cleanup = reinterpret_cast<decltype(cleanup)>(dlsym(RTLD_DEFAULT, "curl_easy_cleanup"));
    decltype(&curl_slist_append) append = reinterpret_cast<decltype(append)>(dlsym(RTLD_DEFAULT, "curl_slist_append"));
    decltype(&curl_slist_free_all) freeAll = reinterpret_cast<decltype(freeAll)>(dlsym(RTLD_DEFAULT, "curl_slist_free_all"));
    bool loaded() const { return init && setopt && perform && cleanup && append && freeAll; }
};

// A JSON document of about `bytes` bytes.
Json document(std::size_t bytes) {
    Json items = Json::array();
    std::size_t size = 2;
    for (int i = 0; size < bytes; ++i) {
        Json item = {{"id", i}, {"name", "item-" + std::to_string(i)}, {"price", 1.25 * i}, {"ok", true}};
        size += item.dump().size() + 1;
        items.push_back(std::move(item));
    }
    return items;
}

struct Fixture {
    solen::test::LocalHttpServer server;
    Json requestBody = document(4 * 1024);
    std::string requestText = requestBody.dump();
    std::string answer = document(12 * 1024).dump();

    Fixture() {
        server.setRecording(false);
        server.setDefaultAnswer(solen::test::ScriptedAnswer::json(200, answer));
        solen::platform::HttpSession::globalInitialize();
    }
    static Fixture& shared() {
        static Fixture fixture;
        return fixture;
    }
};

std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* context) {
    static_cast<std::string*>(context)->append(data, size * count);
    return size * count;
}

void BM_BareCurlReusedHandle(benchmark::State& state) {
    Fixture& fixture = Fixture::shared();
    const Curl curl;
    if (!curl.loaded()) {
        state.SkipWithError("libcurl entry points not found");
        return;
    }
    const std::string url = fixture.server.url("/bid");
    CURL* easy = curl.init();
    curl_slist* headers = curl.append(nullptr, "Content-Type: application/json");
    headers = curl.append(headers, "Expect:");
    std::string received;
    curl.setopt(easy, CURLOPT_URL, url.c_str());
    curl.setopt(easy, CURLOPT_POSTFIELDS, fixture.requestText.c_str());
    curl.setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(fixture.requestText.size()));
    curl.setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl.setopt(easy, CURLOPT_WRITEFUNCTION, &appendBody);
    curl.setopt(easy, CURLOPT_WRITEDATA, &received);
    curl.setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl.setopt(easy, CURLOPT_TCP_NODELAY, 1L);
    for (auto _ : state) {
        received.clear();
        if (curl.perform(easy) != CURLE_OK || received.size() != fixture.answer.size()) {
            state.SkipWithError("bare exchange failed");
            break;
        }
    }
    curl.freeAll(headers);
    curl.cleanup(easy);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BareCurlReusedHandle)->UseRealTime()->MinTime(2.0);

// The request carries the JSON value, encoded on every send as the SDK does.
void BM_NetworkServiceProvider(benchmark::State& state) {
    Fixture& fixture = Fixture::shared();
    auto provider = solen::NetworkServiceProvider::create();
    std::mutex mutex;
    std::condition_variable done;
    std::size_t completed = 0;
    bool failed = false;
    provider->setDidGetResponse([&](const solen::Response& response) {
        std::lock_guard lock(mutex);
        failed = failed || !response.responseBody || response.responseBody->size() != fixture.answer.size();
        ++completed;
        done.notify_one();
    });
    provider->setDidFailWithError([&](const solen::NetworkError&) {
        std::lock_guard lock(mutex);
        failed = true;
        ++completed;
        done.notify_one();
    });
    const auto url = *solen::platform::URL::parse(fixture.server.url("/bid"));
    const solen::Encodable body(fixture.requestBody);
    std::size_t expected = 0;
    for (auto _ : state) {
        auto request = solen::Request::create(url, solen::Request::HTTPMethod::post, body);
        provider->send(request);
        std::unique_lock lock(mutex);
        ++expected;
        done.wait(lock, [&] { return completed == expected; });
        if (failed) {
            state.SkipWithError("transport exchange failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_NetworkServiceProvider)->UseRealTime()->MinTime(2.0);

// The JSON encoding of the 4 KB body alone, which the transport does once per attempt.
void BM_EncodeRequestBody(benchmark::State& state) {
    const solen::Encodable body(Fixture::shared().requestBody);
    for (auto _ : state) benchmark::DoNotOptimize(body.jsonData());
}
BENCHMARK(BM_EncodeRequestBody);

// The session alone (no Request, no encoding, no classification): the share of the hand-offs
// between the caller, the session's I/O thread and its completion queue.
void BM_SessionRoundTrip(benchmark::State& state) {
    Fixture& fixture = Fixture::shared();
    auto session = solen::platform::HttpSession::create();
    const auto url = *solen::platform::URL::parse(fixture.server.url("/bid"));
    const solen::platform::URLRequest::Data body(fixture.requestText.begin(), fixture.requestText.end());
    std::mutex mutex;
    std::condition_variable done;
    for (auto _ : state) {
        solen::platform::URLRequest request(url);
        request.setHttpMethod("POST");
        request.setValue("application/json", "Content-Type");
        request.setHttpBody(body);
        bool finished = false;
        bool ok = false;
        session
            ->dataTask(request,
                       [&](auto data, auto, auto error) {
                           std::lock_guard lock(mutex);
                           ok = !error && data && data->size() == fixture.answer.size();
                           finished = true;
                           done.notify_one();
                       })
            ->resume();
        std::unique_lock lock(mutex);
        done.wait(lock, [&] { return finished; });
        if (!ok) {
            state.SkipWithError("session exchange failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SessionRoundTrip)->UseRealTime()->MinTime(2.0);

// The bare loop again after the transport, so drift over the run shows.
BENCHMARK(BM_BareCurlReusedHandle)->Name("BM_BareCurlReusedHandle/again")->UseRealTime()->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
