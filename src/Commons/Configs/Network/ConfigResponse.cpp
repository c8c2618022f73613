#include "Commons/Configs/Network/ConfigResponse.h"

#include "Commons/Configs/Network/ConfigRequest.h"
#include "Commons/Json/JsonFields.h"
#include "Commons/Json/JsonWriter.h"
#include "Commons/Utilities/Logger.h"

namespace solen {
namespace {

constexpr JsonKeys kConfigKeys{"status", "lastUpdatedTs", "type", "content"};

ConfigResponse::ConfigStatus decodeStatus(const JsonReader& reader) {
    switch (reader.asInteger<std::int64_t>()) {
        case 200: return ConfigResponse::ConfigStatus::updated;
        case 304: return ConfigResponse::ConfigStatus::noChange;
        default: JsonReader::fail(reader.path(), "status must be 200 or 304");
    }
}

}  // namespace

ConfigResponse::Config ConfigResponse::Config::decode(const JsonReader& reader) {
    const JsonFields<kConfigKeys> fields(reader);
    Config config;
    config.status = decodeStatus(fields.at("status"));
    config.lastUpdatedTs = fields.require<double>("lastUpdatedTs");
    config.type = decodeConfigType(fields.at("type"));
    if (fields.hasValue("content")) {
        config.content = decodeConfigDocument(config.type, fields.at("content"));
    }
    return config;
}

Json ConfigResponse::Config::encode() const {
    Json object = Json::object();
    object["content"] = content ? encodeConfigDocument(*content) : Json(nullptr);
    object["status"] = static_cast<int>(status);
    object["lastUpdatedTs"] = JsonWriter::encode(lastUpdatedTs, "lastUpdatedTs");
    object["type"] = std::string(rawValue(type));
    return object;
}

ConfigResponse ConfigResponse::decode(const JsonReader& reader) {
    const JsonReader list = reader.at("configs");
    ConfigResponse response;
    response.configs.reserve(list.size());
    list.forEachElement([&](const JsonReader& element) {
        try {
            response.configs.push_back(element.as<Config>());
        } catch (const JsonDecodingError& error) {
            Logger::log(std::string("Config failed with error ") + error.what(), 2);
        }
    });
    return response;
}

Json ConfigResponse::encode() const { return JsonWriter().set("configs", configs).take(); }

ConfigResponse ConfigResponse::fromBody(std::string_view body) {
    return JsonReader::decode<ConfigResponse>(body);
}

}  // namespace solen
