#include "Commons/Configs/RootConfig.h"

#include "Commons/Json/JsonWriter.h"

namespace solen {

RootConfig::IDs RootConfig::IDs::decode(const JsonReader& reader) {
    IDs ids;
    ids.ida = reader.require<bool>("ida");
    ids.idv = reader.require<bool>("idv");
    return ids;
}

Json RootConfig::IDs::encode() const { return JsonWriter().set("ida", ida).set("idv", idv).take(); }

RootConfig::Retry RootConfig::Retry::decode(const JsonReader& reader) {
    Retry retry;
    retry.count = reader.require<std::int64_t>("count");
    retry.interval = reader.require<std::int64_t>("interval");
    return retry;
}

Json RootConfig::Retry::encode() const { return JsonWriter().set("count", count).set("interval", interval).take(); }

RootConfig::SdkInfo RootConfig::SdkInfo::decode(const JsonReader& reader) {
    SdkInfo sdk;
    sdk.latest = reader.require<std::string>("latest");
    sdk.disabled = reader.require<bool>("disabled");
    return sdk;
}

Json RootConfig::SdkInfo::encode() const {
    return JsonWriter().set("latest", latest).set("disabled", disabled).take();
}

RootConfig RootConfig::decode(const JsonReader& reader) {
    RootConfig config;
    config.ids = reader.require<IDs>("ids");
    config.retry = reader.require<Retry>("retry");
    config.sdk = reader.require<SdkInfo>("sdk");
    config.expiry = reader.require<double>("expiry");
    config.url = reader.require<std::string>("url");
    config.fetchTimeout = reader.require<std::int64_t>("fetchTimeout");
    return config;
}

Json RootConfig::encode() const {
    return JsonWriter()
        .set("ids", ids)
        .set("retry", retry)
        .set("sdk", sdk)
        .set("expiry", expiry)
        .set("url", url)
        .set("fetchTimeout", fetchTimeout)
        .take();
}

}  // namespace solen
