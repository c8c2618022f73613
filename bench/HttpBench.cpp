// Round trip of a 4 KB JSON POST answered with 12 KB on loopback: the SDK's transport
// (NetworkServiceProvider over the libcurl session, completion on the session queue) next to a
// bare libcurl loop on one reused easy handle, in the same run against the same local server.

#include "Commons/Network/NetworkServiceProvider.h"
#include "Platform/Foundation/HttpSession.h"
#include "support/LocalHttpServer.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

namespace {

using solen::Json;

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

// One easy handle, kept for the whole loop, sending the pre-encoded body.
class BareLoop {
public:
    explicit BareLoop(const Fixture& fixture) : fixture_(fixture), url_(fixture.server.url("/bid")) {
        easy_ = curl_easy_init();
        headers_ = curl_slist_append(nullptr, "Content-Type: application/json");
        headers_ = curl_slist_append(headers_, "Expect:");
        curl_easy_setopt(easy_, CURLOPT_URL, url_.c_str());
        curl_easy_setopt(easy_, CURLOPT_POSTFIELDS, fixture.requestText.c_str());
        curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(fixture.requestText.size()));
        curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headers_);
        curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &appendBody);
        curl_easy_setopt(easy_, CURLOPT_WRITEDATA, &received_);
        curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy_, CURLOPT_TCP_NODELAY, 1L);
        // The same request bytes as the session's (it offers every decoding libcurl has), so the
        // server does the same work for both.
        curl_easy_setopt(easy_, CURLOPT_ACCEPT_ENCODING, "");
    }
    ~BareLoop() {
        curl_slist_free_all(headers_);
        curl_easy_cleanup(easy_);
    }
    BareLoop(const BareLoop&) = delete;
    BareLoop& operator=(const BareLoop&) = delete;

    bool exchange() {
        received_.clear();
        return curl_easy_perform(easy_) == CURLE_OK && received_.size() == fixture_.answer.size();
    }

private:
    const Fixture& fixture_;
    std::string url_;
    std::string received_;
    CURL* easy_ = nullptr;
    curl_slist* headers_ = nullptr;
};

// `run(count)` makes `count` exchanges one after another, each sent from the completion of the
// one before (as retries and follow-up requests are), and returns when the last has ended: the
// two hand-offs between the caller's thread and the session's I/O thread happen once per batch,
// not per exchange (BM_NetworkServiceProviderFromWaitingCaller pays them on every exchange).
class ChainedLoop {
public:
    virtual ~ChainedLoop() = default;

    bool run(std::size_t count) {
        {
            std::lock_guard lock(mutex_);
            remaining_ = count;
            failed_ = false;
        }
        send();
        std::unique_lock lock(mutex_);
        done_.wait(lock, [this] { return remaining_ == 0; });
        return !failed_;
    }

protected:
    virtual void send() = 0;

    void ended(bool ok) {
        std::unique_lock lock(mutex_);
        failed_ = failed_ || !ok;
        if (--remaining_ > 0 && !failed_) {
            lock.unlock();
            send();
            return;
        }
        remaining_ = 0;
        done_.notify_one();
    }

private:
    std::mutex mutex_;
    std::condition_variable done_;
    std::size_t remaining_ = 0;
    bool failed_ = false;
};

// Through a NetworkServiceProvider, with the JSON value as the SDK's requests carry it.
class ProviderLoop final : public ChainedLoop {
public:
    explicit ProviderLoop(const Fixture& fixture)
        : provider_(solen::NetworkServiceProvider::create()),
          url_(*solen::platform::URL::parse(fixture.server.url("/bid"))),
          body_(fixture.requestBody) {
        const std::size_t expected = fixture.answer.size();
        provider_->setDidGetResponse([this, expected](const solen::Response& response) {
            ended(response.responseBody && response.responseBody->size() == expected);
        });
        provider_->setDidFailWithError([this](const solen::NetworkError&) { ended(false); });
    }

private:
    void send() override { provider_->send(solen::Request::create(url_, solen::Request::HTTPMethod::post, body_)); }

    std::shared_ptr<solen::NetworkServiceProvider> provider_;
    solen::platform::URL url_;
    solen::Encodable body_;
};

// The session alone (no Request, no encoding, no classification).
class SessionLoop final : public ChainedLoop {
public:
    explicit SessionLoop(const Fixture& fixture)
        : session_(solen::platform::HttpSession::create()),
          request_(solen::platform::URL::parse(fixture.server.url("/bid"))),
          expected_(fixture.answer.size()) {
        request_.setHttpMethod("POST");
        request_.setValue("application/json", "Content-Type");
        request_.setHttpBody(solen::platform::URLRequest::Data(fixture.requestText.begin(), fixture.requestText.end()));
    }

private:
    void send() override {
        session_
            ->dataTask(request_,
                       [this](auto data, auto, auto error) { ended(!error && data && data->size() == expected_); })
            ->resume();
    }

    std::shared_ptr<solen::platform::HttpSession> session_;
    solen::platform::URLRequest request_;
    std::size_t expected_;
};

constexpr std::size_t kBatch = 200;

void BM_BareCurlReusedHandle(benchmark::State& state) {
    BareLoop bare(Fixture::shared());
    for (auto _ : state) {
        if (!bare.exchange()) {
            state.SkipWithError("bare exchange failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BareCurlReusedHandle)->UseRealTime()->MinTime(2.0);

// Chained round trips through the provider (the JSON value as the SDK's requests carry it) or
// through the session alone.
template <class Loop>
void BM_Chained(benchmark::State& state) {
    Loop loop(Fixture::shared());
    while (state.KeepRunningBatch(kBatch)) {
        if (!loop.run(kBatch)) {
            state.SkipWithError("exchange failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Chained<ProviderLoop>)->Name("BM_NetworkServiceProvider")->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_Chained<SessionLoop>)->Name("BM_SessionRoundTrip")->UseRealTime()->MinTime(2.0);

// The bare loop and `Loop` in alternating batches, so that both see the same load on a busy
// machine: `bare_us` and `sdk_us` are mean round trips, `added_pct` what the SDK's path adds.
template <class Loop>
void BM_OverBare(benchmark::State& state) {
    Fixture& fixture = Fixture::shared();
    BareLoop bare(fixture);
    Loop loop(fixture);
    using Clock = std::chrono::steady_clock;
    Clock::duration bareTime{};
    Clock::duration loopTime{};
    while (state.KeepRunningBatch(kBatch)) {
        const auto begin = Clock::now();
        for (std::size_t i = 0; i < kBatch; ++i) {
            if (!bare.exchange()) state.SkipWithError("bare exchange failed");
        }
        const auto middle = Clock::now();
        if (!loop.run(kBatch)) state.SkipWithError("exchange failed");
        const auto end = Clock::now();
        bareTime += middle - begin;
        loopTime += end - middle;
    }
    const double exchanges = static_cast<double>(state.iterations());
    const double bareMicros = std::chrono::duration<double, std::micro>(bareTime).count() / exchanges;
    const double loopMicros = std::chrono::duration<double, std::micro>(loopTime).count() / exchanges;
    state.counters["bare_us"] = bareMicros;
    state.counters["sdk_us"] = loopMicros;
    state.counters["added_pct"] = 100.0 * (loopMicros - bareMicros) / bareMicros;
}
BENCHMARK(BM_OverBare<ProviderLoop>)->Name("BM_ProviderOverBare")->UseRealTime()->MinTime(4.0);
BENCHMARK(BM_OverBare<SessionLoop>)->Name("BM_SessionOverBare")->UseRealTime()->MinTime(4.0);

// A caller on another thread that sends and sleeps until the completion: two more thread
// wake-ups per exchange (caller to I/O thread, completion back to the caller).
void BM_NetworkServiceProviderFromWaitingCaller(benchmark::State& state) {
    ProviderLoop provider(Fixture::shared());
    for (auto _ : state) {
        if (!provider.run(1)) {
            state.SkipWithError("transport exchange failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_NetworkServiceProviderFromWaitingCaller)->UseRealTime()->MinTime(2.0);

// Encoding the 4 KB body: done once per JSON value (copies and retries reuse the text), so the
// chained benchmarks above do not pay it per exchange; a new bid request does.
void BM_EncodeRequestBody(benchmark::State& state) {
    const solen::Json& body = Fixture::shared().requestBody;
    for (auto _ : state) benchmark::DoNotOptimize(body.dump());
}
BENCHMARK(BM_EncodeRequestBody);

// The bare loop again after the transport, so drift over the run shows.
BENCHMARK(BM_BareCurlReusedHandle)->Name("BM_BareCurlReusedHandle/again")->UseRealTime()->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
