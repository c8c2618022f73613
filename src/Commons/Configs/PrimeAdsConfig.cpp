#include "Commons/Configs/PrimeAdsConfig.h"

#include "Commons/Json/JsonWriter.h"

namespace solen {

PrimeAdsConfig::EventReporting PrimeAdsConfig::EventReporting::decode(const JsonReader& reader) {
    EventReporting reporting;
    reporting.maxRetries = reader.require<std::int64_t>("maxRetries");
    reporting.retryInterval = reader.require<double>("retryInterval");
    reporting.retryTimeOut = reader.require<double>("retryTimeOut");
    return reporting;
}

Json PrimeAdsConfig::EventReporting::encode() const {
    return JsonWriter()
        .set("maxRetries", maxRetries)
        .set("retryInterval", retryInterval)
        .set("retryTimeOut", retryTimeOut)
        .take();
}

PrimeAdsConfig::PrimeFormat PrimeAdsConfig::PrimeFormat::decode(const JsonReader& reader) {
    PrimeFormat format;
    format.windowBatchSize = reader.require<std::int64_t>("windowBatchSize");
    format.s2sRenderTimeOut = reader.require<double>("s2sRenderTimeOut");
    return format;
}

Json PrimeAdsConfig::PrimeFormat::encode() const {
    return JsonWriter().set("windowBatchSize", windowBatchSize).set("s2sRenderTimeOut", s2sRenderTimeOut).take();
}

PrimeAdsConfig::Primeinterstitial PrimeAdsConfig::Primeinterstitial::decode(const JsonReader& reader) {
    Primeinterstitial interstitial;
    interstitial.windowBatchSize = reader.require<std::int64_t>("windowBatchSize");
    interstitial.s2sRenderTimeOut = reader.require<double>("s2sRenderTimeOut");
    interstitial.showTimeOut = reader.require<double>("showTimeOut");
    return interstitial;
}

Json PrimeAdsConfig::Primeinterstitial::encode() const {
    return JsonWriter()
        .set("windowBatchSize", windowBatchSize)
        .set("s2sRenderTimeOut", s2sRenderTimeOut)
        .set("showTimeOut", showTimeOut)
        .take();
}

PrimeAdsConfig PrimeAdsConfig::decode(const JsonReader& reader) {
    PrimeAdsConfig config;
    config.expiry = reader.require<double>("expiry");
    config.url = reader.require<std::string>("url");
    config.fetchTimeout = reader.require<double>("fetchTimeout");
    config.mediaVolumeCollectionEnabled = reader.require<bool>("mediaVolumeCollectionEnabled");
    config.eventReporting = reader.require<EventReporting>("eventReporting");
    config.banner = reader.require<PrimeBanner>("banner");
    config.interstitial = reader.require<Primeinterstitial>("interstitial");
    config.native = reader.require<PrimeNative>("native");
    config.splash = reader.require<PrimeSplash>("splash");
    return config;
}

Json PrimeAdsConfig::encode() const {
    return JsonWriter()
        .set("expiry", expiry)
        .set("url", url)
        .set("fetchTimeout", fetchTimeout)
        .set("mediaVolumeCollectionEnabled", mediaVolumeCollectionEnabled)
        .set("eventReporting", eventReporting)
        .set("banner", banner)
        .set("interstitial", interstitial)
        .set("native", native)
        .set("splash", splash)
        .take();
}

}  // namespace solen
