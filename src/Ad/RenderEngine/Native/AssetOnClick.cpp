#include "Ad/RenderEngine/Native/AssetOnClick.h"

#include "Commons/Json/JsonWriter.h"

namespace solen {

AssetOnClick AssetOnClick::decode(const JsonReader& reader) {
    AssetOnClick click;
    click.url = reader.require<std::string>("url");
    click.openMode = optionalIntegerCodedEnum<OpenModeType>(reader, "openMode");
    click.clickTrackers = reader.optional<std::vector<std::string>>("clickTrackers");
    return click;
}

Json AssetOnClick::encode() const {
    std::optional<std::int64_t> rawOpenMode;
    if (openMode) {
        rawOpenMode = integerCodedEnumRaw(*openMode);
    }
    return JsonWriter().set("url", url).set("openMode", rawOpenMode).set("clickTrackers", clickTrackers).take();
}

}  // namespace solen
