#include "Ad/RenderEngine/Native/MediaAssetModel.h"

#include "Commons/Json/JsonFields.h"
#include "Commons/Json/JsonWriter.h"

namespace solen {
namespace {

constexpr JsonKeys kKeys{"type", "content"};

}  // namespace

MediaAssetModel MediaAssetModel::decode(const JsonReader& reader) {
    const JsonFields<kKeys> fields(reader);
    const MediaType type = decodeIntegerCodedEnum<MediaType>(fields.at("type"));
    return MediaAssetModel{type, MediaAssetContentValue::decode(fields.at("content"))};
}

Json MediaAssetModel::encode() const {
    return JsonWriter().set("type", integerCodedEnumRaw(type)).set("content", content).take();
}

}  // namespace solen
