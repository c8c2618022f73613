#include "Commons/Configs/ConfigDefaults.h"
#include "Commons/Configs/ConfigDocument.h"
#include "Commons/Configs/ServiceEndpoints.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace solen {
namespace {

// Sets or clears the endpoint override for one test.
struct ScopedBaseUrl {
    explicit ScopedBaseUrl(const char* value) {
        value ? setenv(ServiceEndpoints::baseUrlVariable, value, 1) : unsetenv(ServiceEndpoints::baseUrlVariable);
    }
    ~ScopedBaseUrl() { unsetenv(ServiceEndpoints::baseUrlVariable); }
};

TEST(ConfigDefaultsTests, EndpointsFollowTheRegionAndUnknownBuildTypesServeGlobal) {
    ScopedBaseUrl base(nullptr);
    test::LogCapture log;
    EXPECT_EQ(ConfigDefaults::primeAds(1).url, "https://bid.solen.cn/bid");
    EXPECT_EQ(ConfigDefaults::root(7).url, "https://config.solen.ai/configs");
    EXPECT_EQ(log.count("Unknown build type"), 1u);
    // Every built-in document is what its own decoder accepts.
    for (const ConfigDocument& document : {ConfigDocument(ConfigDefaults::root(1)), ConfigDocument(ConfigDefaults::signals()),
                                           ConfigDocument(ConfigDefaults::primeAds(0)), ConfigDocument(ConfigDefaults::analytics())}) {
        EXPECT_EQ(decodeConfigDocument(configTypeOf(document), encodeConfigDocument(document).dump()), document);
    }
}

TEST(ServiceEndpointsTests, BaseUrlReplacesSchemeAndHostUnlessInvalid) {
    {
        ScopedBaseUrl base("http://127.0.0.1:8080/");
        EXPECT_EQ(ServiceEndpoints::configUrl(1), "http://127.0.0.1:8080/configs");
        EXPECT_EQ(ServiceEndpoints::bidUrl(0), "http://127.0.0.1:8080/bid");
        EXPECT_EQ(ServiceEndpoints::analyticsUrl(), "http://127.0.0.1:8080/analyticsEvent");
    }
    ScopedBaseUrl base("http://127.0.0.1:8080/path");
    test::LogCapture log;
    EXPECT_EQ(ServiceEndpoints::configUrl(0), "https://config.solen.ai/configs");
    EXPECT_EQ(ServiceEndpoints::bidUrl(0), "https://bid.solen.ai/bid");
    EXPECT_EQ(log.count(ServiceEndpoints::baseUrlVariable), 1u);

    EXPECT_EQ(ServiceEndpoints::normalizedBase("http://[::1]:65535"), "http://[::1]:65535");
    for (const char* bad : {"", "localhost:80", "://h", "http://", "http://h:", "http://h:0", "http://h:65536",
                            "http://h:8a", "http://h/x", "http://h?q", "http://u@h", "1http://h", "http://[::1",
                            "http://[zz]", "http://h h"}) {
        EXPECT_FALSE(ServiceEndpoints::normalizedBase(bad).has_value()) << bad;
    }
}

}  // namespace
}  // namespace solen
