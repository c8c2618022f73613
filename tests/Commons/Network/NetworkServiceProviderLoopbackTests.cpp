#include "Commons/Network/MediaDownloader.h"
#include "Commons/Network/NetworkServiceProvider.h"

#include "support/LocalHttpServer.h"
#include "support/NetworkOutcomeRecorder.h"

#include <gtest/gtest.h>

#include <future>

namespace solen {
namespace {

using test::LocalHttpServer;
using test::NetworkOutcomeRecorder;
using test::ScriptedAnswer;
using namespace std::chrono_literals;

std::string text(const std::optional<std::vector<std::uint8_t>>& bytes) {
    return bytes ? std::string(bytes->begin(), bytes->end()) : "<absent>";
}

struct LoopbackTest : ::testing::Test {
    LocalHttpServer server;
    std::shared_ptr<NetworkServiceProvider> provider = NetworkServiceProvider::create();
    NetworkOutcomeRecorder recorder{*provider, NetworkServiceProvider::session()->delegateQueue()};

    std::shared_ptr<Request> request(const std::string& path, Request::HTTPMethod method = Request::HTTPMethod::get,
                                     std::optional<Encodable> body = std::nullopt) {
        auto created = Request::create(*platform::URL::parse(server.url(path)), method, std::move(body));
        created->setTimeout(2);
        return created;
    }
};

TEST_F(LoopbackTest, JsonPostAndQueryGetReachTheServerAsBuilt) {
    server.enqueue("/bid", ScriptedAnswer::json(200, R"({"id":"r1"})"));
    auto post = request("/bid", Request::HTTPMethod::post, Encodable(Json{{"app", "a&b"}, {"n", 1}}));
    post->addHeaders({{"X-Api-Key", "k1"}});
    provider->send(post);
    ASSERT_TRUE(recorder.waitForOutcomes(1));

    auto get = request("/track?cb=1");
    get->setUrlParams(Json{{"e", "imp&x=1"}, {"pct", "50%"}});
    provider->send(get);
    ASSERT_TRUE(recorder.waitForOutcomes(2));

    const auto recorded = server.requests();
    ASSERT_EQ(recorded.size(), 2u);
    EXPECT_EQ(recorded[0].method, "POST");
    EXPECT_EQ(recorded[0].body, R"({"app":"a&b","n":1})");
    EXPECT_EQ(recorded[0].header("Content-Type"), "application/json");
    EXPECT_EQ(recorded[0].header("X-Api-Key"), "k1");
    EXPECT_EQ(recorded[1].target, "/track?cb=1&e=imp%26x%3D1&pct=50%25");
    EXPECT_EQ(text(recorder.responses().at(0).responseBody), R"({"id":"r1"})");
    EXPECT_TRUE(recorder.allOnExpectedQueue());
}

TEST_F(LoopbackTest, NoContentIsAnEmptySuccessAndErrorListsBecomeMessages) {
    server.enqueue("/empty", ScriptedAnswer::json(204, ""));
    server.enqueue("/client", ScriptedAnswer::json(422, R"({"errors":["bad ","input"]})"));
    server.enqueue("/client-html", ScriptedAnswer::text(404, "<html>missing</html>", "text/html"));
    server.enqueue("/server", ScriptedAnswer::json(500, R"({"errors":["down"]})"));
    server.enqueue("/server-bare", ScriptedAnswer::json(503, ""));
    std::size_t sent = 0;
    for (const char* path : {"/empty", "/client", "/client-html", "/server", "/server-bare"}) {
        provider->send(request(path));
        ASSERT_TRUE(recorder.waitForOutcomes(++sent)) << path;
    }
    ASSERT_EQ(recorder.responses().size(), 1u);
    EXPECT_EQ(recorder.responses()[0].statusCode, 204);
    EXPECT_EQ(text(recorder.responses()[0].responseBody), "");
    EXPECT_EQ(recorder.errors(), (std::vector<NetworkError>{NetworkError::clientError("bad input"),
                                                            NetworkError::clientError("Client Error"),
                                                            NetworkError::serverError("down"),
                                                            NetworkError::serverError("Service Returned An Error")}));
    EXPECT_EQ(recorder.headers().size(), 5u);
}

TEST_F(LoopbackTest, RetriesWaitTheirIntervalAndStopAtTheCount) {
    server.setDefaultAnswer(ScriptedAnswer::json(503, ""));
    auto failing = request("/retry");
    failing->setRetryCount(2);
    failing->setRetryInterval(0.15);
    provider->send(failing);
    ASSERT_TRUE(recorder.waitForOutcomes(1));

    const auto recorded = server.requests();
    ASSERT_EQ(recorded.size(), 3u);
    for (std::size_t i = 1; i < recorded.size(); ++i) {
        EXPECT_GE(recorded[i].receivedAt - recorded[i - 1].receivedAt, 150ms);
    }
    EXPECT_EQ(failing->retryCount(), 0);
    EXPECT_EQ(recorder.errors().front(), NetworkError::serverError("Service Returned An Error"));
}

TEST_F(LoopbackTest, TimeoutsDropsAndRedirectsEndInOneOutcome) {
    server.enqueue("/slow", ScriptedAnswer::slow(3s));
    server.enqueue("/slow", ScriptedAnswer::slow(3s));
    auto slow = request("/slow");
    slow->setTimeout(0.15);
    slow->setRetryCount(1);
    provider->send(slow);
    ASSERT_TRUE(recorder.waitForOutcomes(1));
    EXPECT_EQ(server.requestCount(), 2u);
    EXPECT_EQ(recorder.errors().back(), NetworkError::requestFailed(-1001, "The request timed out."));

    // A connection closed without an answer: dropped every time, since the client may try a
    // kept-alive connection once more on a fresh one.
    server.setHandler([](const test::RecordedRequest& recorded) -> std::optional<ScriptedAnswer> {
        if (recorded.path == "/drop") return ScriptedAnswer::drop();
        return std::nullopt;
    });
    provider->send(request("/drop"));
    ASSERT_TRUE(recorder.waitForOutcomes(2));
    EXPECT_EQ(recorder.errors().back().errorCode(), -1005);

    server.enqueue("/old", ScriptedAnswer::redirect(307, "/new"));
    server.enqueue("/new", ScriptedAnswer::json(200, "moved here"));
    provider->send(request("/old", Request::HTTPMethod::post, Encodable(Json{{"k", 1}})));
    ASSERT_TRUE(recorder.waitForOutcomes(3));
    ASSERT_EQ(recorder.responses().size(), 1u);
    EXPECT_EQ(text(recorder.responses()[0].responseBody), "moved here");
    EXPECT_EQ(server.requests().back().body, R"({"k":1})");  // 307 keeps method and body
    EXPECT_EQ(recorder.errors().size(), 2u);
}

TEST(MediaDownloaderLoopback, SucceedsOnlyForStatus200AndDecodesWhatIsAnImage) {
    using namespace std::string_literals;
    LocalHttpServer server;
    const std::string png = "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x02\0\0\0\x03\x08\x06\0\0\0"s;
    server.enqueue("/ok.png", ScriptedAnswer::text(200, png, "image/png"));
    server.enqueue("/created.png", ScriptedAnswer::text(201, png, "image/png"));
    server.enqueue("/page", ScriptedAnswer::text(200, "<html></html>", "text/html"));
    server.enqueue("/missing", ScriptedAnswer::text(404, png, "image/png"));
    server.setHandler([](const test::RecordedRequest& recorded) -> std::optional<ScriptedAnswer> {
        if (recorded.path == "/drop") return ScriptedAnswer::drop();
        return std::nullopt;
    });

    auto download = [&](const std::string& path) {
        auto promise = std::make_shared<std::promise<std::pair<bool, std::optional<platform::Image>>>>();
        auto future = promise->get_future();
        MediaDownloader::downloadImage(*platform::URL::parse(server.url(path)),
                                       [promise](bool ok, std::optional<platform::Image> image) {
                                           promise->set_value({ok, std::move(image)});
                                       });
        EXPECT_EQ(future.wait_for(5s), std::future_status::ready);
        return future.get();
    };
    const auto ok = download("/ok.png");
    EXPECT_TRUE(ok.first);
    ASSERT_TRUE(ok.second);
    EXPECT_EQ(ok.second->pixelWidth(), 2u);
    EXPECT_EQ(ok.second->pixelHeight(), 3u);

    EXPECT_EQ(download("/created.png").first, false);
    const auto page = download("/page");
    EXPECT_TRUE(page.first);
    EXPECT_FALSE(page.second);
    EXPECT_FALSE(download("/missing").first);
    EXPECT_FALSE(download("/drop").first);
}

}  // namespace
}  // namespace solen
