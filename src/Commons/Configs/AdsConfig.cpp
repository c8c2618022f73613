#include "Commons/Configs/AdsConfig.h"

#include "Commons/Json/JsonWriter.h"

namespace solen {

AdsConfig::Rendering AdsConfig::Rendering::decode(const JsonReader& reader) {
    Rendering rendering;
    rendering.touchReset = reader.require<std::int64_t>("touchReset");
    rendering.renderPopup = reader.require<bool>("renderPopup");
    rendering.pubMuteControl = reader.require<bool>("pubMuteControl");
    rendering.webviewBG = reader.require<std::string>("webviewBG");
    rendering.autoredirects = reader.require<bool>("autoredirects");
    return rendering;
}

Json AdsConfig::Rendering::encode() const {
    return JsonWriter()
        .set("touchReset", touchReset)
        .set("renderPopup", renderPopup)
        .set("pubMuteControl", pubMuteControl)
        .set("webviewBG", webviewBG)
        .set("autoredirects", autoredirects)
        .take();
}

AdsConfig::JSConfig AdsConfig::JSConfig::decode(const JsonReader& reader) {
    JSConfig config;
    config.expiry = reader.require<std::int64_t>("expiry");
    config.retries = reader.require<std::int64_t>("retries");
    config.retryInterval = reader.require<std::int64_t>("retryInterval");
    config.url = reader.require<std::string>("url");
    return config;
}

Json AdsConfig::JSConfig::encode() const {
    return JsonWriter()
        .set("expiry", expiry)
        .set("retries", retries)
        .set("retryInterval", retryInterval)
        .set("url", url)
        .take();
}

AdsConfig::OmidConfig AdsConfig::OmidConfig::decode(const JsonReader& reader) {
    OmidConfig config;
    config.enabled = reader.require<bool>("enabled");
    config.jsConfig = reader.require<JSConfig>("jsConfig");
    config.partnerKey = reader.require<std::string>("partnerKey");
    config.webviewRetainTime = reader.require<std::int64_t>("webviewRetainTime");
    return config;
}

Json AdsConfig::OmidConfig::encode() const {
    return JsonWriter()
        .set("enabled", enabled)
        .set("jsConfig", jsConfig)
        .set("partnerKey", partnerKey)
        .set("webviewRetainTime", webviewRetainTime)
        .take();
}

AdsConfig AdsConfig::decode(const JsonReader& reader) {
    AdsConfig config;
    config.expiry = reader.require<double>("expiry");
    config.rendering = reader.require<Rendering>("rendering");
    config.mraid = reader.require<JSConfig>("mraid");
    config.omid = reader.require<OmidConfig>("omid");
    config.showWithoutVC = reader.require<bool>("showWithoutVC");
    return config;
}

Json AdsConfig::encode() const {
    return JsonWriter()
        .set("expiry", expiry)
        .set("rendering", rendering)
        .set("mraid", mraid)
        .set("omid", omid)
        .set("showWithoutVC", showWithoutVC)
        .take();
}

}  // namespace solen
