#include "Commons/Configs/AdUnitsConfig.h"

#include "Commons/Json/JsonWriter.h"

namespace solen {

AdUnitsConfig AdUnitsConfig::decode(const JsonReader& reader) {
    AdUnitsConfig adUnit;
    adUnit.adUnitId = reader.require<std::string>("adUnitId");
    adUnit.refresh = reader.require<std::int64_t>("refresh");
    adUnit.hbNetworks = reader.optional<std::vector<std::string>>("hbNetworks");
    return adUnit;
}

Json AdUnitsConfig::encode() const {
    return JsonWriter().set("adUnitId", adUnitId).set("refresh", refresh).set("hbNetworks", hbNetworks).take();
}

}  // namespace solen
