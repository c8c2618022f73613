#include "Commons/Configs/ConfigDocument.h"

#include "Commons/Json/JsonWriter.h"

namespace solen {

ConfigDocument decodeConfigDocument(ConfigType type, const JsonReader& reader) {
    switch (type) {
        case ConfigType::root: return reader.as<RootConfig>();
        case ConfigType::signals: return reader.as<SignalsConfig>();
        case ConfigType::primeAds: return reader.as<PrimeAdsConfig>();
        case ConfigType::primeMediation: return reader.as<MediationConfig>();
        case ConfigType::analytics: return reader.as<AnalyticsConfig>();
    }
    JsonReader::fail(reader.path(), "unknown document type");
}

ConfigDocument decodeConfigDocument(ConfigType type, std::string_view text) {
    const JsonDocument document = JsonDocument::parse(text);
    return decodeConfigDocument(type, JsonReader(document));
}

Json encodeConfigDocument(const ConfigDocument& document) {
    return std::visit([](const auto& config) { return JsonWriter::encode(config); }, document);
}

ConfigType configTypeOf(const ConfigDocument& document) {
    static constexpr ConfigType types[] = {ConfigType::root, ConfigType::signals, ConfigType::primeAds,
                                           ConfigType::primeMediation, ConfigType::analytics};
    return types[document.index()];
}

}  // namespace solen
