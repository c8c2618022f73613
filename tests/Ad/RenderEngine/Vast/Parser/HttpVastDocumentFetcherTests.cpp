#include "Ad/RenderEngine/Vast/Parser/HttpVastDocumentFetcher.h"

#include "support/LocalHttpServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace solen {
namespace {

using namespace std::chrono_literals;
using platform::Clock;
using platform::URL;
using test::LocalHttpServer;
using test::ScriptedAnswer;

URL url(const std::string& text) { return *URL::parse(text); }

TEST(HttpVastDocumentFetcherTests, ReturnsTheBodyOfASuccessfulAnswer) {
    LocalHttpServer server;
    server.enqueue("/vast", ScriptedAnswer::text(200, "<VAST/>", "application/xml"));
    server.enqueue("/moved", ScriptedAnswer::redirect(302, server.url("/vast")));
    server.enqueue("/vast", ScriptedAnswer::text(203, "<VAST version=\"2\"/>", "application/xml"));
    HttpVastDocumentFetcher fetcher;
    EXPECT_EQ(fetcher.fetch(url(server.url("/vast")), 5s), "<VAST/>");
    EXPECT_EQ(fetcher.fetch(url(server.url("/moved")), 5s), "<VAST version=\"2\"/>");
    ASSERT_EQ(server.requests().size(), 3u);
    EXPECT_EQ(server.requests()[0].method, "GET");
}

TEST(HttpVastDocumentFetcherTests, FailedAnswersAreFailedLoads) {
    LocalHttpServer server;
    server.enqueue("/missing", ScriptedAnswer::text(404, "<VAST/>"));
    server.enqueue("/broken", ScriptedAnswer::text(500, "<VAST/>"));
    server.enqueue("/huge", ScriptedAnswer::text(200, std::string(HttpVastDocumentFetcher::maximumBodyBytes + 1, 'x')));
    server.enqueue("/cut", ScriptedAnswer::drop());
    HttpVastDocumentFetcher fetcher;
    for (const char* path : {"/missing", "/broken", "/huge", "/cut"}) {
        EXPECT_FALSE(fetcher.fetch(url(server.url(path)), 5s)) << path;
    }
}

TEST(HttpVastDocumentFetcherTests, OnlyWebAddressesWithTimeLeftAreLoaded) {
    LocalHttpServer server;
    HttpVastDocumentFetcher fetcher;
    EXPECT_FALSE(fetcher.fetch(url("file:///etc/hostname"), 5s));
    EXPECT_FALSE(fetcher.fetch(url("test://vast"), 5s));
    EXPECT_FALSE(fetcher.fetch(url(server.url("/vast")), Clock::Duration::zero()));
    EXPECT_EQ(server.requestCount(), 0u);
    // Scheme letter case does not matter.
    std::string upper = server.url("/vast");
    upper.replace(0, 4, "HTTP");
    EXPECT_TRUE(fetcher.fetch(url(upper), 5s));
}

TEST(HttpVastDocumentFetcherTests, SlowAnswerEndsAtTheTimeGiven) {
    LocalHttpServer server;
    server.enqueue("/slow", ScriptedAnswer::slow(3s, 200, "<VAST/>"));
    HttpVastDocumentFetcher fetcher;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(fetcher.fetch(url(server.url("/slow")), 200ms));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
}

}  // namespace
}  // namespace solen
