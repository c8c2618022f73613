#include "Ad/RenderEngine/Native/MediaAssetModel.h"

#include "Commons/Json/JsonWriter.h"

namespace solen {

MediaAssetModel MediaAssetModel::decode(const JsonReader& reader) {
    const MediaType type = requireIntegerCodedEnum<MediaType>(reader, "type");
    return MediaAssetModel{type, MediaAssetContentValue::decode(reader.at("content"))};
}

Json MediaAssetModel::encode() const {
    return JsonWriter().set("type", integerCodedEnumRaw(type)).set("content", content).take();
}

}  // namespace solen
