#include "Platform/Foundation/HttpSession.h"

#include "Platform/Device/NetworkReachability.h"
#include "support/LocalHttpServer.h"
#include "support/TestCertificate.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace solen::platform {
namespace {

using test::LocalHttpServer;
using test::ScriptedAnswer;
using namespace std::chrono_literals;

struct Outcome {
    std::optional<HttpSession::Data> data;
    std::optional<URLResponse> response;
    std::optional<Error> error;
    bool onDelegateQueue = false;

    std::string body() const { return data ? std::string(data->begin(), data->end()) : "<absent>"; }
    std::int64_t code() const { return error ? error->code : 0; }
};

// Starts the request and returns a future of its outcome.
std::future<Outcome> start(HttpSession& session, URLRequest request, std::shared_ptr<HttpSession::DataTask>* task = nullptr) {
    auto promise = std::make_shared<std::promise<Outcome>>();
    auto future = promise->get_future();
    auto queue = session.delegateQueue();
    auto created = session.dataTask(std::move(request), [promise, queue](auto data, auto response, auto error) {
        promise->set_value(Outcome{std::move(data), std::move(response), std::move(error), queue->isCurrent()});
    });
    created->resume();
    if (task) *task = created;
    return future;
}

Outcome fetch(HttpSession& session, URLRequest request) {
    auto future = start(session, std::move(request));
    if (future.wait_for(10s) != std::future_status::ready) {
        ADD_FAILURE() << "no completion";
        return {};
    }
    return future.get();
}

URLRequest requestFor(const std::string& url, std::string method = "GET", double timeout = 5) {
    URLRequest request(URL::parse(url), timeout);
    request.setHttpMethod(std::move(method));
    return request;
}

HttpSession::Data bytes(std::string_view text) { return HttpSession::Data(text.begin(), text.end()); }

struct HttpSessionTest : ::testing::Test {
    LocalHttpServer server;
    std::shared_ptr<HttpSession> session = HttpSession::create();
};

TEST_F(HttpSessionTest, GetDeliversStatusHeadersAndBodyAndTheServerSeesTheRawTarget) {
    ScriptedAnswer answer = ScriptedAnswer::text(200, "hello");
    answer.headers = {{"X-Answer", "one"}, {"X-Answer", "two"}};
    server.enqueue(answer);
    URLRequest request = requestFor(server.url("/a%2Fb?x=1%262&y=%20z"));
    request.setValue("yes", "X-Test");
    request.addValue("more", "X-Test");

    const Outcome outcome = fetch(*session, request);
    ASSERT_FALSE(outcome.error) << outcome.error->localizedDescription;
    EXPECT_TRUE(outcome.onDelegateQueue);
    EXPECT_EQ(outcome.body(), "hello");
    ASSERT_TRUE(outcome.response);
    EXPECT_TRUE(outcome.response->isHTTP);
    EXPECT_EQ(outcome.response->statusCode, 200);
    EXPECT_EQ(outcome.response->allHeaderFields.value("x-answer"), "one, two");
    EXPECT_EQ(outcome.response->allHeaderFields.value("content-type"), "text/plain");

    const auto recorded = server.requests();
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].method, "GET");
    EXPECT_EQ(recorded[0].target, "/a%2Fb?x=1%262&y=%20z");
    EXPECT_EQ(recorded[0].header("x-test"), "yes,more");
    EXPECT_TRUE(recorded[0].body.empty());
}

TEST_F(HttpSessionTest, BodiesGoOutAsGivenWithoutExpectRoundOrFormLabel) {
    const std::string large(5000, 'j');
    URLRequest post = requestFor(server.url("/post"), "POST");
    post.setHttpBody(bytes(large));
    URLRequest json = requestFor(server.url("/json"), "POST");
    json.setHttpBody(bytes(R"({"a":1})"));
    json.setValue("application/json", "Content-Type");
    URLRequest put = requestFor(server.url("/put"), "PUT");
    put.setHttpBody(bytes("p"));
    URLRequest emptyPost = requestFor(server.url("/empty"), "POST");

    for (const auto& request : {post, json, put, emptyPost}) {
        const Outcome outcome = fetch(*session, request);
        EXPECT_FALSE(outcome.error);
    }
    const auto recorded = server.requests();
    ASSERT_EQ(recorded.size(), 4u);
    EXPECT_EQ(recorded[0].body, large);
    EXPECT_FALSE(recorded[0].header("Expect"));
    EXPECT_FALSE(recorded[0].header("Content-Type"));
    EXPECT_EQ(recorded[1].header("Content-Type"), "application/json");
    EXPECT_EQ(recorded[1].body, R"({"a":1})");
    EXPECT_EQ(recorded[2].method, "PUT");
    EXPECT_EQ(recorded[2].body, "p");
    EXPECT_EQ(recorded[3].method, "POST");
    EXPECT_EQ(recorded[3].header("Content-Length"), "0");
}

TEST_F(HttpSessionTest, EmptyBodiesArePresentAndConnectionsAreReused) {
    server.enqueue(ScriptedAnswer::json(204, ""));
    const Outcome noContent = fetch(*session, requestFor(server.url("/none")));
    ASSERT_TRUE(noContent.data);
    EXPECT_TRUE(noContent.data->empty());
    EXPECT_EQ(noContent.response->statusCode, 204);

    const Outcome head = fetch(*session, requestFor(server.url("/head"), "HEAD"));
    ASSERT_TRUE(head.data);
    EXPECT_TRUE(head.data->empty());
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(fetch(*session, requestFor(server.url("/again"))).error);

    EXPECT_EQ(server.requests()[1].method, "HEAD");
    EXPECT_EQ(server.connectionCount(), 1u);
}

// Easy handles are reused between exchanges: nothing of one request may leak into the next.
TEST_F(HttpSessionTest, ExchangesCarryNothingOverFromTheOneBefore) {
    URLRequest put = requestFor(server.url("/put"), "PUT");
    put.setHttpBody(bytes("first"));
    put.setValue("yes", "X-Test");
    put.setValue("text/plain", "Content-Type");
    put.setValue("identity", "Accept-Encoding");
    EXPECT_FALSE(fetch(*session, put).error);
    EXPECT_FALSE(fetch(*session, requestFor(server.url("/get"))).error);

    const auto recorded = server.requests();
    ASSERT_EQ(recorded.size(), 2u);
    EXPECT_EQ(recorded[1].method, "GET");
    EXPECT_TRUE(recorded[1].body.empty());
    EXPECT_FALSE(recorded[1].header("X-Test"));
    EXPECT_FALSE(recorded[1].header("Content-Type"));
    EXPECT_FALSE(recorded[1].header("Content-Length"));
    EXPECT_NE(recorded[1].header("Accept-Encoding"), "identity");
}

// An announced request starts whether it comes at once, after the I/O thread went back to sleep,
// from a completion, from several threads at the same time, or not at all; a session released
// right after an announcement ends without waiting for the request.
TEST_F(HttpSessionTest, AnnouncedRequestsStartWhenTheyComeOrNever) {
    const auto announcedFetch = [&](std::chrono::microseconds delay) {
        session->willResumeTask();
        std::this_thread::sleep_for(delay);
        return fetch(*session, requestFor(server.url("/announced")));
    };
    for (const auto delay : {0us, 100us, 5000us}) {
        const Outcome outcome = announcedFetch(delay);
        EXPECT_FALSE(outcome.error) << delay.count();
        EXPECT_EQ(outcome.response ? outcome.response->statusCode : 0, 200) << delay.count();
    }
    session->willResumeTask();  // and nothing comes
    std::this_thread::sleep_for(1ms);
    EXPECT_FALSE(fetch(*session, requestFor(server.url("/later"))).error);

    std::promise<Outcome> chained;
    session->dataTask(requestFor(server.url("/first")), [&](auto, auto, auto) {
        session->willResumeTask();
        auto queue = session->delegateQueue();
        session->dataTask(requestFor(server.url("/second")), [&, queue](auto data, auto response, auto error) {
            chained.set_value(Outcome{std::move(data), std::move(response), std::move(error), queue->isCurrent()});
        })->resume();
    })->resume();
    auto second = chained.get_future();
    ASSERT_EQ(second.wait_for(10s), std::future_status::ready);
    EXPECT_FALSE(second.get().error);

    std::vector<std::future<bool>> senders;
    for (int thread = 0; thread < 4; ++thread) {
        senders.push_back(std::async(std::launch::async, [&] {
            bool ok = true;
            for (int i = 0; i < 10; ++i) ok = !announcedFetch(0us).error && ok;
            return ok;
        }));
    }
    for (auto& sender : senders) EXPECT_TRUE(sender.get());

    auto released = HttpSession::create();
    released->willResumeTask();
    released.reset();
}

// Requests resumed from a completion start at once and keep their order; the last completion may
// release the session it runs on.
TEST_F(HttpSessionTest, CompletionsMayChainRequestsAndReleaseTheSession) {
    constexpr int kChain = 12;
    std::vector<std::string> bodies;
    std::promise<void> done;
    std::function<void(int, std::shared_ptr<HttpSession>)> send = [&](int index, std::shared_ptr<HttpSession> owner) {
        server.enqueue(ScriptedAnswer::text(200, std::to_string(index)));
        auto& target = *owner;
        target.dataTask(requestFor(server.url("/chain")), [&, index, owner](auto data, auto, auto error) mutable {
            bodies.push_back(error || !data ? "<failed>" : std::string(data->begin(), data->end()));
            if (index + 1 < kChain) {
                send(index + 1, std::move(owner));
                return;
            }
            owner.reset();
            done.set_value();
        })->resume();
    };
    send(0, session);
    session.reset();  // the chain's completions hold the last references
    auto finished = done.get_future();
    ASSERT_EQ(finished.wait_for(10s), std::future_status::ready);
    ASSERT_EQ(bodies.size(), static_cast<std::size_t>(kChain));
    for (int i = 0; i < kChain; ++i) EXPECT_EQ(bodies[static_cast<std::size_t>(i)], std::to_string(i));
    EXPECT_EQ(server.connectionCount(), 1u);
}

TEST_F(HttpSessionTest, BrokenExchangesEndInTheirTransportErrors) {
    URLRequest slow = requestFor(server.url("/slow"), "GET", 0.2);
    server.enqueue("/slow", ScriptedAnswer::slow(3s));
    const auto started = std::chrono::steady_clock::now();
    const Outcome timedOut = fetch(*session, slow);
    EXPECT_EQ(timedOut.code(), -1001);
    EXPECT_EQ(timedOut.error->localizedDescription, "The request timed out.");
    EXPECT_FALSE(timedOut.data);
    EXPECT_FALSE(timedOut.response);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);

    // Dropped every time: a client may try once more after a kept-alive connection closes.
    server.setHandler([](const test::RecordedRequest& recorded) -> std::optional<ScriptedAnswer> {
        if (recorded.path == "/drop") return ScriptedAnswer::drop();
        return std::nullopt;
    });
    EXPECT_EQ(fetch(*session, requestFor(server.url("/drop"))).code(), -1005);

    ScriptedAnswer truncated = ScriptedAnswer::json(200, std::string(4000, 'x'));
    truncated.truncateBodyAfter = 100;
    server.enqueue("/truncated", truncated);
    const Outcome cut = fetch(*session, requestFor(server.url("/truncated")));
    EXPECT_EQ(cut.code(), -1005);
    EXPECT_FALSE(cut.data);

    ScriptedAnswer garbage;
    garbage.rawReply = "this is not http\r\n\r\n";
    server.enqueue("/garbage", garbage);
    const Outcome notHttp = fetch(*session, requestFor(server.url("/garbage")));
    ASSERT_TRUE(notHttp.error);
    EXPECT_EQ(notHttp.code(), -1011);

    // Each exchange above still had its own answer: nothing leaked into the next one.
    EXPECT_EQ(fetch(*session, requestFor(server.url("/fine"))).response->statusCode, 200);
}

TEST_F(HttpSessionTest, UnreachableAndUnsupportedTargetsFailWithoutSending) {
    int closedPort = 0;
    {
        LocalHttpServer gone;
        closedPort = gone.port();
    }
    EXPECT_EQ(fetch(*session, requestFor("http://127.0.0.1:" + std::to_string(closedPort) + "/")).code(), -1004);
    EXPECT_EQ(fetch(*session, requestFor("ftp://127.0.0.1:" + std::to_string(server.port()) + "/")).code(), -1002);
    EXPECT_EQ(fetch(*session, URLRequest(std::nullopt)).code(), -1000);
    EXPECT_EQ(fetch(*session, requestFor(server.url("/"), "BAD METHOD")).code(), -1000);
    EXPECT_EQ(server.requestCount(), 0u);

    // Off the loopback, a failed connection while the device reports no network is "offline".
    NetworkReachability::setProvider([] { return std::optional<NetworkReachability::Flags>(0); });
    const std::string elsewhere = "http://0.0.0.0:" + std::to_string(closedPort) + "/";
    EXPECT_EQ(fetch(*session, requestFor(elsewhere)).code(), -1009);
    NetworkReachability::setProvider([] { return std::optional(NetworkReachability::reachable); });
    EXPECT_EQ(fetch(*session, requestFor(elsewhere)).code(), -1004);
    NetworkReachability::setProvider(nullptr);
}

TEST_F(HttpSessionTest, RedirectsAreFollowedUpToTheLimit) {
    server.enqueue("/start", ScriptedAnswer::redirect(302, "/middle"));
    server.enqueue("/middle", ScriptedAnswer::redirect(301, server.url("/final?x=1")));
    server.enqueue("/final", ScriptedAnswer::json(200, R"({"at":"final"})"));
    const Outcome followed = fetch(*session, requestFor(server.url("/start")));
    ASSERT_FALSE(followed.error);
    EXPECT_EQ(followed.response->statusCode, 200);
    EXPECT_EQ(followed.body(), R"({"at":"final"})");
    EXPECT_EQ(followed.response->url->absoluteString(), server.url("/final?x=1"));
    EXPECT_EQ(server.requestCount(), 3u);

    HttpSession::Configuration configuration;
    configuration.maximumRedirects = 3;
    auto strict = HttpSession::create(configuration);
    server.setHandler([](const test::RecordedRequest& request) -> std::optional<ScriptedAnswer> {
        if (request.path == "/loop") return ScriptedAnswer::redirect(302, "/loop");
        return std::nullopt;
    });
    EXPECT_EQ(fetch(*strict, requestFor(server.url("/loop"))).code(), -1007);
}

TEST_F(HttpSessionTest, HttpsExchangesFollowHttpsRedirectsOnlyAndNeverSendInCleartext) {
    LocalHttpServer secure(LocalHttpServer::Transport::https);
    HttpSession::Configuration configuration;
    configuration.certificateAuthorityFile = test::TestCertificate::loopback().certificateFile();
    auto trusting = HttpSession::create(configuration);
    secure.enqueue("/to-secure", ScriptedAnswer::redirect(307, secure.url("/final")));
    secure.enqueue("/final", ScriptedAnswer::json(200, R"({"at":"final"})"));
    secure.enqueue("/to-plain", ScriptedAnswer::redirect(307, server.url("/sink")));
    server.enqueue("/up", ScriptedAnswer::redirect(307, secure.url("/final")));
    secure.enqueue("/final", ScriptedAnswer::json(200, R"({"at":"final"})"));
    const auto post = [](const std::string& url) {
        URLRequest request = requestFor(url, "POST");
        request.setHttpBody(bytes(R"({"device":"secret"})"));
        return request;
    };

    const Outcome followed = fetch(*trusting, post(secure.url("/to-secure")));
    ASSERT_FALSE(followed.error) << followed.code();
    EXPECT_EQ(followed.body(), R"({"at":"final"})");
    ASSERT_EQ(secure.requests().size(), 2u);
    EXPECT_EQ(secure.requests().back().body, R"({"device":"secret"})");

    // The same body, redirected to http: the exchange fails before anything leaves in cleartext.
    EXPECT_EQ(fetch(*trusting, post(secure.url("/to-plain"))).code(), -1002);
    EXPECT_EQ(server.requestCount(), 0u);
    EXPECT_EQ(server.connectionCount(), 0u);

    // Moving up from http to https stays allowed.
    const Outcome upgraded = fetch(*trusting, post(server.url("/up")));
    ASSERT_FALSE(upgraded.error) << upgraded.code();
    EXPECT_EQ(upgraded.body(), R"({"at":"final"})");

    // A server the session does not trust is refused.
    EXPECT_EQ(fetch(*session, requestFor(secure.url("/final"))).code(), -1202);
}

TEST_F(HttpSessionTest, SocketsOfTheSessionAreClosedOnExec) {
    auto fresh = HttpSession::create();  // made now: its own wake-up sockets are among the ones checked
    server.setDefaultAnswer(ScriptedAnswer::slow(300ms));
    std::vector<std::future<Outcome>> pending;
    for (int i = 0; i < 3; ++i) pending.push_back(start(*fresh, requestFor(server.url("/slow"))));
    ASSERT_TRUE(server.waitForRequests(3, 5s));
    // While the exchanges are under way, every socket of the process is close-on-exec, except
    // the test server's own.
    std::size_t sockets = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        const int fd = std::stoi(entry.path().filename().string());
        std::error_code error;
        const auto target = std::filesystem::read_symlink(entry.path(), error).string();
        if (error || target.rfind("socket:", 0) != 0) continue;
        sockaddr_storage local{};
        socklen_t length = sizeof local;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) == 0 && local.ss_family == AF_INET &&
            ntohs(reinterpret_cast<sockaddr_in*>(&local)->sin_port) == server.port()) {
            continue;  // accepted by the server
        }
        ++sockets;
        EXPECT_NE(fcntl(fd, F_GETFD) & FD_CLOEXEC, 0) << target;
    }
    EXPECT_GE(sockets, 5u);  // three connections and the session's wake-up pair
    for (auto& outcome : pending) EXPECT_EQ(outcome.get().code(), 0);
}

TEST_F(HttpSessionTest, CancelEndsTheExchangeOnceWithCancelled) {
    server.setDefaultAnswer(ScriptedAnswer::slow(3s));
    std::shared_ptr<HttpSession::DataTask> task;
    auto running = start(*session, requestFor(server.url("/slow")), &task);
    ASSERT_TRUE(server.waitForRequests(1, 5s));
    task->cancel();
    task->cancel();
    ASSERT_EQ(running.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(running.get().code(), -999);

    std::atomic<int> calls{0};
    auto idle = session->dataTask(requestFor(server.url("/never")), [&calls](auto, auto, auto error) {
        EXPECT_EQ(error->code, -999);
        ++calls;
    });
    idle->cancel();
    idle->resume();
    auto after = start(*session, requestFor(server.url("/x"), "GET", 0.05));
    after.wait_for(5s);
    EXPECT_EQ(calls.load(), 1);
    EXPECT_EQ(server.requestCount(), 2u);

    // Destroying the session cancels what is still running.
    auto released = start(*session, requestFor(server.url("/slow")));
    ASSERT_TRUE(server.waitForRequests(3, 5s));
    session.reset();
    ASSERT_EQ(released.wait_for(2s), std::future_status::ready);
    EXPECT_EQ(released.get().code(), -999);
}

TEST_F(HttpSessionTest, CompletionsRunOneAtATimeInTheOrderExchangesEnd) {
    server.setHandler([](const test::RecordedRequest& request) -> std::optional<ScriptedAnswer> {
        return ScriptedAnswer::slow(std::chrono::milliseconds(std::stoi(request.path.substr(1))), 200, request.path);
    });
    std::mutex mutex;
    std::vector<std::string> order;
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    std::vector<std::future<Outcome>> futures;
    for (const char* path : {"/400", "/150", "/0"}) {
        auto promise = std::make_shared<std::promise<Outcome>>();
        futures.push_back(promise->get_future());
        session
            ->dataTask(requestFor(server.url(path)),
                       [&, promise](auto data, auto, auto) {
                           if (inside.fetch_add(1) != 0) overlapped = true;
                           std::this_thread::sleep_for(5ms);
                           {
                               std::lock_guard lock(mutex);
                               order.emplace_back(data->begin(), data->end());
                           }
                           inside.fetch_sub(1);
                           promise->set_value({});
                       })
            ->resume();
    }
    for (auto& future : futures) ASSERT_EQ(future.wait_for(10s), std::future_status::ready);
    EXPECT_FALSE(overlapped);
    EXPECT_EQ(order, (std::vector<std::string>{"/0", "/150", "/400"}));
}

TEST_F(HttpSessionTest, OversizedBodiesAndInjectedHeaderLinesAreRefused) {
    HttpSession::Configuration configuration;
    configuration.maximumResponseBytes = 1000;
    auto bounded = HttpSession::create(configuration);
    server.enqueue(ScriptedAnswer::json(200, std::string(5000, 'x')));
    EXPECT_EQ(fetch(*bounded, requestFor(server.url("/big"))).code(), -1103);

    URLRequest request = requestFor(server.url("/headers"));
    request.setValue("a\r\nX-Injected: 1", "X-Value");
    request.setValue("fine", "Bad Name");
    request.setValue("kept", "X-Kept");
    EXPECT_FALSE(fetch(*session, request).error);
    const auto recorded = server.requests().back();
    EXPECT_FALSE(recorded.header("X-Injected"));
    EXPECT_FALSE(recorded.header("X-Value"));
    EXPECT_EQ(recorded.header("X-Kept"), "kept");
}

TEST(HttpSessionTimeout, MillisecondsKeepFractionsAndNeverMeanUnlimited) {
    for (const auto& [seconds, expected] : std::vector<std::pair<double, long>>{
             {0.999, 999}, {2.5, 2500}, {0.0001, 1}, {0, 60000}, {-1, 60000},
             {std::numeric_limits<double>::quiet_NaN(), 60000}, {1e300, 30L * 24 * 3600 * 1000}}) {
        EXPECT_EQ(HttpSession::timeoutMilliseconds(seconds), expected) << seconds;
    }
}

}  // namespace
}  // namespace solen::platform
