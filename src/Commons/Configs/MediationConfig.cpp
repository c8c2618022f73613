#include "Commons/Configs/MediationConfig.h"

#include "Commons/Json/JsonFields.h"
#include "Commons/Json/JsonWriter.h"

namespace solen {
namespace {

constexpr JsonKeys kKeys{"adapters", "adUnits"};

}  // namespace

MediationConfig MediationConfig::decode(const JsonReader& reader) {
    const JsonFields<kKeys> fields(reader);
    MediationConfig config;
    config.adapters = fields.require<std::vector<AdapterConfig>>("adapters");
    config.adUnits = fields.optional<std::vector<AdUnitsConfig>>("adUnits");
    return config;
}

Json MediationConfig::encode() const { return JsonWriter().set("adapters", adapters).set("adUnits", adUnits).take(); }

std::int64_t MediationConfig::lookupValue(std::string_view adUnitId,
                                          const std::optional<std::vector<AdUnitsConfig>>& adUnits) {
    if (!adUnits) {
        return 0;
    }
    for (const AdUnitsConfig& adUnit : *adUnits) {
        if (adUnit.adUnitId == adUnitId) {
            return adUnit.refresh;
        }
    }
    return 0;
}

}  // namespace solen
