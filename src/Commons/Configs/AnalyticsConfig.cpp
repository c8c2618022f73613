#include "Commons/Configs/AnalyticsConfig.h"

#include "Commons/Json/JsonWriter.h"

namespace solen {

AnalyticsConfig::EventConfig AnalyticsConfig::EventConfig::decode(const JsonReader& reader) {
    EventConfig event;
    event.url = reader.require<std::string>("url");
    event.maxRetries = reader.require<std::int64_t>("maxRetries");
    event.retryInterval = reader.require<std::int64_t>("retryInterval");
    event.retryTimeOut = reader.require<std::int64_t>("retryTimeOut");
    return event;
}

Json AnalyticsConfig::EventConfig::encode() const {
    return JsonWriter()
        .set("url", url)
        .set("maxRetries", maxRetries)
        .set("retryInterval", retryInterval)
        .set("retryTimeOut", retryTimeOut)
        .take();
}

AnalyticsConfig AnalyticsConfig::decode(const JsonReader& reader) {
    AnalyticsConfig config;
    config.expiry = reader.require<double>("expiry");
    config.sessionLength = reader.require<double>("sessionLength");
    config.event = reader.require<EventConfig>("event");
    return config;
}

Json AnalyticsConfig::encode() const {
    return JsonWriter().set("expiry", expiry).set("sessionLength", sessionLength).set("event", event).take();
}

}  // namespace solen
