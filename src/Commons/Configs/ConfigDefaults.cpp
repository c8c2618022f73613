#include "Commons/Configs/ConfigDefaults.h"

#include "Commons/Configs/ServiceEndpoints.h"

namespace solen {
namespace {

constexpr double oneDayMs = 86400000.0;

}  // namespace

RootConfig ConfigDefaults::root(std::int64_t buildType) {
    RootConfig config;
    config.ids = {.ida = true, .idv = true};
    config.retry = {.count = 2, .interval = 10000};
    config.sdk = {.latest = std::string(sdkVersion), .disabled = false};
    config.expiry = oneDayMs;
    config.url = ServiceEndpoints::configUrl(buildType);
    config.fetchTimeout = 10000;
    return config;
}

SignalsConfig ConfigDefaults::signals() { return SignalsConfig{.expiry = oneDayMs, .location = false, .cell = false}; }

PrimeAdsConfig ConfigDefaults::primeAds(std::int64_t buildType) {
    PrimeAdsConfig config;
    config.expiry = oneDayMs;
    config.url = ServiceEndpoints::bidUrl(buildType);
    config.fetchTimeout = 60000.0;
    config.mediaVolumeCollectionEnabled = false;
    config.eventReporting = {.maxRetries = 3, .retryInterval = 60000.0, .retryTimeOut = 60000.0};
    config.banner = {.windowBatchSize = 1, .s2sRenderTimeOut = 5000.0};
    config.interstitial = {.windowBatchSize = 2, .s2sRenderTimeOut = 10000.0, .showTimeOut = 5000.0};
    config.native = {.windowBatchSize = 1, .s2sRenderTimeOut = 5000.0};
    config.splash = {.windowBatchSize = 1, .s2sRenderTimeOut = 5000.0};
    return config;
}

AnalyticsConfig ConfigDefaults::analytics() {
    AnalyticsConfig config;
    config.expiry = oneDayMs;
    config.sessionLength = 1800000.0;
    config.event = {.url = ServiceEndpoints::analyticsUrl(), .maxRetries = 3, .retryInterval = 60000, .retryTimeOut = 60000};
    return config;
}

}  // namespace solen
