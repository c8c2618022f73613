#include "Ad/RenderEngine/Native/AssetOnClick.h"

#include "Commons/Json/JsonFields.h"
#include "Commons/Json/JsonWriter.h"

namespace solen {
namespace {

constexpr JsonKeys kKeys{"url", "openMode", "clickTrackers"};

}  // namespace

AssetOnClick AssetOnClick::decode(const JsonReader& reader) {
    const JsonFields<kKeys> fields(reader);
    AssetOnClick click;
    click.url = fields.require<std::string>("url");
    click.openMode = fields.optionalWith("openMode", decodeIntegerCodedEnum<OpenModeType>);
    click.clickTrackers = fields.optional<std::vector<std::string>>("clickTrackers");
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
