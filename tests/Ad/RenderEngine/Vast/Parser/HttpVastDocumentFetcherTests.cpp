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

TEST(HttpVastDocumentFetcherTests, ReturnsTheBodyOfASuccessfulAnswerOnly) {
    LocalHttpServer server;
    server.enqueue("/moved", ScriptedAnswer::redirect(302, server.url("/vast")));
    server.enqueue("/vast", ScriptedAnswer::text(203, "<VAST version=\"2\"/>", "application/xml"));
    server.enqueue("/missing", ScriptedAnswer::text(404, "<VAST/>"));
    server.enqueue("/broken", ScriptedAnswer::text(500, "<VAST/>"));
    server.enqueue("/huge", ScriptedAnswer::text(200, std::string(HttpVastDocumentFetcher::maximumBodyBytes + 1, 'x')));
    server.enqueue("/cut", ScriptedAnswer::drop());
    HttpVastDocumentFetcher fetcher;
    EXPECT_EQ(fetcher.fetch(url(server.url("/moved")), 5s), "<VAST version=\"2\"/>");
    EXPECT_EQ(server.requests().at(0).method, "GET");
    for (const char* path : {"/missing", "/broken", "/huge", "/cut"}) {
        EXPECT_FALSE(fetcher.fetch(url(server.url(path)), 5s)) << path;
    }
}

TEST(HttpVastDocumentFetcherTests, OnlyWebAddressesWithTimeLeftAreLoadedWithinThatTime) {
    LocalHttpServer server;
    HttpVastDocumentFetcher fetcher;
    EXPECT_FALSE(fetcher.fetch(url("file:///etc/hostname"), 5s));
    EXPECT_FALSE(fetcher.fetch(url("test://vast"), 5s));
    EXPECT_FALSE(fetcher.fetch(url(server.url("/vast")), Clock::Duration::zero()));
    EXPECT_EQ(server.requestCount(), 0u);

    server.enqueue("/slow", ScriptedAnswer::slow(3s, 200, "<VAST/>"));
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(fetcher.fetch(url(server.url("/slow")), 200ms));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
    // Scheme letter case does not matter.
    std::string upper = server.url("/vast");
    upper.replace(0, 4, "HTTP");
    EXPECT_TRUE(fetcher.fetch(url(upper), 5s));
}

}  // namespace
}  // namespace solen
