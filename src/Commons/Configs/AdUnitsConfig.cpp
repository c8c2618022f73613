#include "Commons/Configs/AdUnitsConfig.h"

#include "Commons/Json/JsonFields.h"
#include "Commons/Json/JsonWriter.h"

namespace solen {
namespace {

constexpr JsonKeys kKeys{"adUnitId", "refresh", "hbNetworks"};

}  // namespace

AdUnitsConfig AdUnitsConfig::decode(const JsonReader& reader) {
    const JsonFields<kKeys> fields(reader);
    AdUnitsConfig adUnit;
    adUnit.adUnitId = fields.require<std::string>("adUnitId");
    adUnit.refresh = fields.require<std::int64_t>("refresh");
    adUnit.hbNetworks = fields.optional<std::vector<std::string>>("hbNetworks");
    return adUnit;
}

Json AdUnitsConfig::encode() const {
    return JsonWriter().set("adUnitId", adUnitId).set("refresh", refresh).set("hbNetworks", hbNetworks).take();
}

}  // namespace solen
