#include "Commons/Configs/MediationConfig.h"

#include "Commons/Json/JsonWriter.h"

namespace solen {

MediationConfig MediationConfig::decode(const JsonReader& reader) {
    MediationConfig config;
    config.adapters = reader.require<std::vector<AdapterConfig>>("adapters");
    config.adUnits = reader.optional<std::vector<AdUnitsConfig>>("adUnits");
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
