#include "Commons/Configs/AdsConfig.h"
#include "Commons/Configs/ConfigDefaults.h"
#include "Commons/Configs/ConfigDocument.h"
#include "Commons/Configs/ServiceEndpoints.h"
#include "Commons/Json/JsonWriter.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace solen {
namespace {

template <class T>
T decodeText(std::string_view text) {
    const Json value = JsonReader::parse(text);
    return JsonReader(value).as<T>();
}

// The key path of the decoding failure, or "<decoded>".
template <class T>
std::string failurePath(std::string_view text) {
    try {
        decodeText<T>(text);
    } catch (const JsonDecodingError& error) {
        return error.path();
    }
    return "<decoded>";
}

template <class T>
T roundTrip(const T& value) {
    return decodeText<T>(JsonWriter::encode(value).dump());
}

// Replaces the value at a JSON pointer ("/retry/interval") or removes it (std::nullopt).
std::string edited(std::string_view text, const std::string& pointer, std::optional<Json> value) {
    Json document = Json::parse(text);
    const Json::json_pointer ptr(pointer);
    if (value) {
        document[ptr] = *value;
    } else {
        document[ptr.parent_pointer()].erase(ptr.back());
    }
    return document.dump();
}

constexpr std::string_view rootText = R"({"ids":{"ida":true,"idv":false},"retry":{"count":2,"interval":10000},
    "sdk":{"latest":"1.0.0-beta4","disabled":false},"expiry":86400000,"url":"https://c.example/configs",
    "fetchTimeout":10000})";

constexpr std::string_view analyticsText = R"({"expiry":86400000.0,"sessionLength":1800000,
    "event":{"url":"https://a.example/analyticsEvent","maxRetries":3,"retryInterval":60000,"retryTimeOut":60000}})";

constexpr std::string_view primeAdsText = R"({"expiry":3600000,"url":"https://b.example/bid","fetchTimeout":60000,
    "mediaVolumeCollectionEnabled":true,
    "eventReporting":{"maxRetries":3,"retryInterval":60000.5,"retryTimeOut":60000},
    "banner":{"windowBatchSize":1,"s2sRenderTimeOut":5000},
    "interstitial":{"windowBatchSize":2,"s2sRenderTimeOut":10000,"showTimeOut":5000},
    "native":{"windowBatchSize":3,"s2sRenderTimeOut":5000},
    "splash":{"windowBatchSize":4,"s2sRenderTimeOut":5000}})";

constexpr std::string_view mediationText = R"({"adapters":[
      {"networkId":"n1","adapterName":"Alpha","adapterMeta":{"appKey":"k","ids":[1,2.5,true]},"headerBidder":true,"timeout":3000},
      {"networkId":"n2","adapterName":"Beta","headerBidder":false,"timeout":2500.5,"extra":1}],
    "adUnits":[{"adUnitId":"u1","refresh":30000,"hbNetworks":["n1"]},{"adUnitId":"u2","refresh":0,"hbNetworks":[]}]})";

TEST(ConfigDocumentTests, EveryDocumentDecodesAndRoundTripsAndTheTypeSelectsIt) {
    const auto root = decodeText<RootConfig>(rootText);
    EXPECT_EQ(root.retry.interval, 10000);
    EXPECT_EQ(roundTrip(root), root);
    const auto analytics = decodeText<AnalyticsConfig>(analyticsText);
    EXPECT_EQ(roundTrip(analytics), analytics);
    const auto signals = decodeText<SignalsConfig>(R"({"expiry":86400000,"location":true,"cell":false})");
    EXPECT_EQ(roundTrip(signals), signals);
    const auto ads = decodeText<PrimeAdsConfig>(primeAdsText);
    EXPECT_DOUBLE_EQ(ads.eventReporting.retryInterval, 60000.5);
    EXPECT_EQ(ads.splash.windowBatchSize, 4);
    EXPECT_EQ(roundTrip(ads), ads);
    // No range checks: a negative window decodes unchanged.
    EXPECT_EQ(decodeText<PrimeAdsConfig>(edited(primeAdsText, "/native/windowBatchSize", -1)).native.windowBatchSize, -1);

    const auto rendering = decodeText<AdsConfig>(R"({"expiry":1.5,
        "rendering":{"touchReset":1,"renderPopup":true,"pubMuteControl":false,"webviewBG":"#fff","autoredirects":true},
        "mraid":{"expiry":10,"retries":2,"retryInterval":3,"url":"https://s.example/m.js"},
        "omid":{"enabled":true,"jsConfig":{"expiry":11,"retries":1,"retryInterval":4,"url":"https://s.example/o.js"},
                "partnerKey":"p","webviewRetainTime":1000},
        "showWithoutVC":false})");
    EXPECT_EQ(rendering.omid.jsConfig.url, "https://s.example/o.js");
    EXPECT_EQ(roundTrip(rendering), rendering);

    // The type selects the document.
    const ConfigDocument document = decodeConfigDocument(ConfigType::primeMediation, mediationText);
    EXPECT_EQ(configTypeOf(document), ConfigType::primeMediation);
    EXPECT_EQ(encodeConfigDocument(document), Json::parse(JsonWriter::encode(std::get<MediationConfig>(document)).dump()));
    EXPECT_THROW(decodeConfigDocument(ConfigType::root, mediationText), JsonDecodingError);
    EXPECT_THROW(decodeConfigDocument(ConfigType::root, "not json"), JsonDecodingError);
    EXPECT_FALSE(configTypeFromRawValue("ads").has_value());
}

TEST(ConfigDocumentTests, EveryKeyIsRequiredAndStrictlyTyped) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {failurePath<RootConfig>(edited(rootText, "/retry/interval", std::nullopt)), "retry.interval"},
        {failurePath<RootConfig>(edited(rootText, "/ids/ida", 1)), "ids.ida"},
        {failurePath<RootConfig>(edited(rootText, "/fetchTimeout", 10000.5)), "fetchTimeout"},
        {failurePath<RootConfig>(edited(rootText, "/sdk", nullptr)), "sdk"},
        {failurePath<RootConfig>(edited(rootText, "/unlisted", "x")), "<decoded>"},
        {failurePath<AnalyticsConfig>(edited(analyticsText, "/event/maxRetries", 3.5)), "event.maxRetries"},
        {failurePath<SignalsConfig>(R"({"expiry":1,"location":1,"cell":false})"), "location"},
        {failurePath<PrimeAdsConfig>(edited(primeAdsText, "/splash/s2sRenderTimeOut", std::nullopt)), "splash.s2sRenderTimeOut"},
        {failurePath<PrimeAdsConfig>(edited(primeAdsText, "/banner/windowBatchSize", 1.5)), "banner.windowBatchSize"},
        {failurePath<PrimeAdsConfig>(edited(primeAdsText, "/eventReporting/maxRetries", "3")), "eventReporting.maxRetries"},
        {failurePath<MediationConfig>(R"({"adapters":null})"), "adapters"},
        {failurePath<MediationConfig>(edited(mediationText, "/adapters/1/headerBidder", std::nullopt)), "adapters[1].headerBidder"},
        {failurePath<MediationConfig>(edited(mediationText, "/adUnits/1/hbNetworks", "n1")), "adUnits[1].hbNetworks"},
        {failurePath<MediationConfig>(edited(mediationText, "/adapters/0/adapterMeta/ids/1", nullptr)),
         "adapters[0].adapterMeta.ids[1]"},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(cases[i].first, cases[i].second) << "case " << i;
    }
}

TEST(MediationConfigTests, ListsFreeFormMetaAndOptionalMembers) {
    const auto mediation = decodeText<MediationConfig>(mediationText);
    ASSERT_EQ(mediation.adapters.size(), 2u);
    EXPECT_EQ(mediation.adapters[0].adapterMeta, Json::parse(R"({"appKey":"k","ids":[1,2.5,true]})"));
    EXPECT_FALSE(mediation.adapters[1].adapterMeta.has_value());
    EXPECT_DOUBLE_EQ(mediation.adapters[1].timeout, 2500.5);
    ASSERT_TRUE(mediation.adUnits->at(1).hbNetworks.has_value());
    EXPECT_TRUE(mediation.adUnits->at(1).hbNetworks->empty());
    EXPECT_EQ(roundTrip(mediation), mediation);
    const Json encoded = JsonWriter::encode(mediation);
    EXPECT_FALSE(encoded["adapters"][1].contains("adapterMeta"));
    EXPECT_TRUE(encoded["adUnits"][1]["hbNetworks"].is_array());

    const auto bare = decodeText<MediationConfig>(R"({"adapters":[],"adUnits":null})");
    EXPECT_FALSE(bare.adUnits.has_value());
    EXPECT_FALSE(JsonWriter::encode(bare).contains("adUnits"));
    EXPECT_FALSE(decodeText<MediationConfig>(edited(mediationText, "/adapters/0/adapterMeta", nullptr))
                     .adapters[0].adapterMeta.has_value());

    std::vector<AdUnitsConfig> units{{"a", 1000, std::nullopt}, {"a", 2000, std::nullopt}};
    EXPECT_EQ(MediationConfig::lookupValue("a", units), 1000);  // the first exact match
    EXPECT_EQ(MediationConfig::lookupValue("A", units), 0);
    EXPECT_EQ(MediationConfig::lookupValue("a", std::nullopt), 0);
}

// Sets or clears the endpoint override for one test.
struct ScopedBaseUrl {
    explicit ScopedBaseUrl(const char* value) {
        value ? setenv(ServiceEndpoints::baseUrlVariable, value, 1) : unsetenv(ServiceEndpoints::baseUrlVariable);
    }
    ~ScopedBaseUrl() { unsetenv(ServiceEndpoints::baseUrlVariable); }
};

TEST(ConfigDefaultsTests, EndpointsFollowTheRegionAndUnknownBuildTypesServeGlobal) {
    ScopedBaseUrl base(nullptr);
    test::LogCapture log(1);
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
    // A host sees the refused override at the public error level.
    ScopedBaseUrl base("http://127.0.0.1:8080/path");
    test::LogCapture log(1);
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
