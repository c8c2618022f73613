#include "Commons/Configs/SignalsConfig.h"

#include "Commons/Json/JsonWriter.h"

namespace solen {

SignalsConfig SignalsConfig::decode(const JsonReader& reader) {
    SignalsConfig config;
    config.expiry = reader.require<double>("expiry");
    config.location = reader.require<bool>("location");
    config.cell = reader.require<bool>("cell");
    return config;
}

Json SignalsConfig::encode() const {
    return JsonWriter().set("expiry", expiry).set("location", location).set("cell", cell).take();
}

}  // namespace solen
