#include "Platform/Foundation/CharacterSet.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/URLRequest.h"

#include <gtest/gtest.h>

namespace solen::platform {
namespace {

TEST(URLParsing, RejectsTextThatIsNotAUrl) {
    for (const char* text : {"", "http://exa mple.com", "http://example.com/a b", "http://example.com/\x01",
                             "http://example.com/caf\xc3\xa9", "http://example.com/%", "http://example.com/%4",
                             "http://example.com/%zz", "http://example.com/<x>", "http://example.com/{x}",
                             "http://example.com/a|b", "http://example.com/a\\b", "http://example.com/a^b",
                             "http://example.com/\"", "http://example.com/#a#b", "http://example.com:99999/",
                             "http://example.com:8a/", "http://[::1/", "http://ex[a]mple.com/", "http://example.com/[x]",
                             "1http://example.com", "ht_tp://example.com", "\t", "http://example.com/\x7f",
                             "http://e.com/?q=[x]", "http://e.com/#[x]", "http://u[s]@e.com/", "[x]:/a"}) {
        EXPECT_FALSE(URL::parse(text)) << text;
        EXPECT_FALSE(URL::parseOwned(std::string(text))) << text;
    }
}

TEST(URLParsing, AcceptsAbsoluteUrlsAndRelativeReferencesAndSplitsTheirParts) {
    const auto url = URL::parse("https://user:pw@Ex.com:8443/a%20b/c?x=1&y=%26#frag");
    ASSERT_TRUE(url);
    EXPECT_EQ(url->absoluteString(), "https://user:pw@Ex.com:8443/a%20b/c?x=1&y=%26#frag");
    EXPECT_EQ(url->scheme(), "https");
    EXPECT_EQ(url->host(), "Ex.com");
    EXPECT_EQ(url->port(), 8443);
    EXPECT_EQ(url->path(), "/a b/c");
    EXPECT_EQ(url->query(), "x=1&y=%26");
    EXPECT_EQ(url->fragment(), "frag");
    EXPECT_EQ(url->queryItems(), (std::vector<URLQueryItem>{{"x", "1"}, {"y", "&"}}));

    const auto ipv6 = URL::parse("http://[::1]:8080/");
    ASSERT_TRUE(ipv6);
    EXPECT_EQ(ipv6->host(), "[::1]");
    EXPECT_EQ(ipv6->port(), 8080);

    for (const char* text : {"/path?x=1", "page.html", "?q", "#top", "mailto:someone@example.com", "http:",
                             "http://example.com:/", "HTTP://EXAMPLE.COM"}) {
        EXPECT_TRUE(URL::parse(text)) << text;
    }
    EXPECT_FALSE(URL::parse("/path")->isAbsolute());
    EXPECT_FALSE(URL::parse("http://e.com")->query());
    EXPECT_EQ(URL::parse("http://e.com?")->query(), "");
    EXPECT_EQ(URL::parse("http://e.com?")->queryItems(), std::vector<URLQueryItem>{});
}

TEST(URLParsing, HostsAndPortsReadBackTheSameThroughTheirRebuiltText) {
    // A ':' belongs to a host only inside brackets; a port is digits only.
    for (const char* text : {"http://example.com:80:/ad", "http://a:b:/x", "http://a:b/x", "http://a:80:81/x",
                             "http://a:+80/x", "http://a:-1/x", "http://a: 80/x", "http://u:p@a:b:1/x", "//a:b:/x",
                             "http://[::1]:80:81/", "http://[::1]x/", "http://[::1]:8a/", "http://[::1]]:80/"}) {
        EXPECT_FALSE(URL::parse(text)) << text;
    }
    struct Vector {
        const char* text;
        const char* host;
        std::optional<int> port;
        const char* rebuilt;
    };
    for (const Vector& v : {Vector{"http://example.com:80/ad", "example.com", 80, "http://example.com:80/ad"},
                            Vector{"http://example.com:/ad", "example.com", std::nullopt, "http://example.com/ad"},
                            Vector{"http://e.com:080", "e.com", 80, "http://e.com:80"},
                            Vector{"http://e.com:0/", "e.com", 0, "http://e.com:0/"},
                            Vector{"http://u:p@h:65535/x", "h", 65535, "http://u:p@h:65535/x"},
                            Vector{"http://[::1]:8080/x", "[::1]", 8080, "http://[::1]:8080/x"},
                            Vector{"http://[::1]:/x", "[::1]", std::nullopt, "http://[::1]/x"},
                            Vector{"http://[2001:db8::1]/", "[2001:db8::1]", std::nullopt, "http://[2001:db8::1]/"},
                            Vector{"//[fe80::1%25en0]:9", "[fe80::1%en0]", 9, "//[fe80::1%25en0]:9"}}) {
        const auto url = URL::parse(v.text);
        ASSERT_TRUE(url) << v.text;
        EXPECT_EQ(url->host(), v.host) << v.text;
        EXPECT_EQ(url->port(), v.port) << v.text;
        const std::string rebuilt = url->components().string();
        EXPECT_EQ(rebuilt, v.rebuilt);
        const auto again = URLComponents::parse(rebuilt);
        ASSERT_TRUE(again) << rebuilt;
        EXPECT_EQ(*again, url->components()) << rebuilt;
        const auto owned = URL::parseOwned(std::string(v.text));
        ASSERT_TRUE(owned) << v.text;
        EXPECT_EQ(owned->components(), url->components()) << v.text;
    }
}

TEST(URLComponents, QueryItemsRoundTripAnyTextAndRebuildTheUrl) {
    auto components = URLComponents::parse("http://e.com/p?old=1#f");
    ASSERT_TRUE(components);
    components->setQueryItems(std::vector<URLQueryItem>{{"a&b", "1=2+3#4%5 6"}, {"flag", std::nullopt}, {"é", "ü"}});
    EXPECT_EQ(components->percentEncodedQuery, "a%26b=1%3D2%2B3%234%255%206&flag&%C3%A9=%C3%BC");
    const auto url = components->url();
    ASSERT_TRUE(url);
    EXPECT_EQ(url->absoluteString(), "http://e.com/p?a%26b=1%3D2%2B3%234%255%206&flag&%C3%A9=%C3%BC#f");
    EXPECT_EQ(url->queryItems(),
              (std::vector<URLQueryItem>{{"a&b", "1=2+3#4%5 6"}, {"flag", std::nullopt}, {"é", "ü"}}));

    components->setQueryItems(std::nullopt);
    EXPECT_EQ(components->string(), "http://e.com/p#f");
    EXPECT_EQ(URLComponents(*URL::parse("http://u@h:1/x")).string(), "http://u@h:1/x");
}

TEST(PercentCoding, EncodesOutsideTheSetAndDecodesStrictly) {
    EXPECT_EQ(addingPercentEncoding("a b/c?d", CharacterSet::urlQueryAllowed()), "a%20b/c?d");
    EXPECT_EQ(addingPercentEncoding("a b/c?d", CharacterSet::urlHostAllowed()), "a%20b%2Fc%3Fd");
    EXPECT_EQ(addingPercentEncoding("x:y@z/", CharacterSet::urlPathAllowed()), "x:y@z/");
    EXPECT_EQ(addingPercentEncoding("x:y@z", CharacterSet::urlUserAllowed()), "x%3Ay%40z");
    EXPECT_EQ(addingPercentEncoding("é", CharacterSet::urlFragmentAllowed()), "%C3%A9");
    EXPECT_EQ(addingPercentEncoding("&=+#%", CharacterSet::urlQueryItemAllowed()), "%26%3D%2B%23%25");

    EXPECT_EQ(removingPercentEncoding("a%20b%2f%C3%A9"), "a b/é");
    EXPECT_EQ(removingPercentEncoding("plain+text"), "plain+text");
    EXPECT_FALSE(removingPercentEncoding("100%"));
    EXPECT_FALSE(removingPercentEncoding("%G1"));
    EXPECT_FALSE(removingPercentEncoding("%C3"));     // cut UTF-8 sequence
    EXPECT_FALSE(removingPercentEncoding("%C0%80"));  // overlong form
    EXPECT_FALSE(removingPercentEncoding("%ED%A0%80"));  // surrogate
}

TEST(URLQueryParameters, AreAppendedOnceEncodedAfterTheExistingQuery) {
    const auto url = URL::parse("http://e.com/p?keep=%2Fas+is");
    nlohmann::ordered_json parameters = {{"n", 2}, {"t", "a&b=c d%"}, {"f", 1.5}, {"b", true}, {"k&", "v"}};
    const URL result = url->appendingQueryParameters(parameters);
    EXPECT_EQ(result.absoluteString(), "http://e.com/p?keep=%2Fas+is&n=2&t=a%26b%3Dc%20d%25&f=1.5&b=true&k%26=v");
    EXPECT_EQ(result.queryItems()->at(2), (URLQueryItem{"t", "a&b=c d%"}));

    EXPECT_EQ(url->appendingQueryParameters(nlohmann::ordered_json::object()).absoluteString(), url->absoluteString());
    EXPECT_EQ(URL::parse("http://e.com")->appendingQueryParameters({{"x", "1"}}).absoluteString(), "http://e.com?x=1");
    EXPECT_EQ(URL::parse("http://e.com/#f")->appendingQueryParameters({{"x", "1"}}).absoluteString(),
              "http://e.com/?x=1#f");
}

TEST(URLRequestFields, HeaderSetAddRemoveIgnoreCaseAndAnEmptyBodyIsNotAnAbsentOne) {
    URLRequest request(URL::parse("http://e.com"));
    EXPECT_FALSE(request.httpBody());
    request.setValue("text/plain", "Content-Type");
    request.addValue("charset=utf-8", "content-type");
    EXPECT_EQ(request.value("CONTENT-TYPE"), "text/plain,charset=utf-8");
    request.setValue("application/json", "content-TYPE");
    EXPECT_EQ(request.value("Content-Type"), "application/json");
    EXPECT_EQ(request.allHTTPHeaderFields().size(), 1u);
    EXPECT_EQ(request.allHTTPHeaderFields().begin()->first, "Content-Type");
    request.setValue(std::nullopt, "content-type");
    EXPECT_TRUE(request.allHTTPHeaderFields().empty());

    request.setHttpBody(URLRequest::Data{});
    EXPECT_TRUE(request.httpBody().has_value());

    URLRequest withoutUrl;
    withoutUrl.applyQueryParameters({{"x", 1}});
    EXPECT_FALSE(withoutUrl.url());
}

}  // namespace
}  // namespace solen::platform
