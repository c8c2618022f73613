#include "Commons/Configs/Network/ConfigRequest.h"

#include "Commons/Json/JsonWriter.h"

namespace solen {

ConfigType decodeConfigType(const JsonReader& reader) {
    const std::string raw = reader.asString();
    const auto type = configTypeFromRawValue(raw);
    if (!type) {
        JsonReader::fail(reader.path(), "unknown configuration type \"" + raw + "\"");
    }
    return *type;
}

ConfigInfo ConfigInfo::decode(const JsonReader& reader) {
    ConfigInfo info;
    info.lastUpdatedTs = reader.require<std::int64_t>("lastUpdatedTs");
    info.type = decodeConfigType(reader.at("type"));
    return info;
}

Json ConfigInfo::encode() const {
    return JsonWriter().set("lastUpdatedTs", lastUpdatedTs).set("type", std::string(rawValue(type))).take();
}

ConfigRequest ConfigRequest::decode(const JsonReader& reader) {
    ConfigRequest request;
    request.appId = reader.optional<std::string>("appId");
    request.version = reader.require<std::string>("version");
    request.configs = reader.require<std::vector<ConfigInfo>>("configs");
    return request;
}

Json ConfigRequest::encode() const {
    return JsonWriter().set("appId", appId).set("version", version).set("configs", configs).take();
}

}  // namespace solen
