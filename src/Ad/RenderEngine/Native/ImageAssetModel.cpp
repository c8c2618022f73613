#include "Ad/RenderEngine/Native/ImageAssetModel.h"

#include "Commons/Json/JsonWriter.h"

namespace solen {

ImageAssetModel ImageAssetModel::decode(const JsonReader& reader) {
    ImageAssetModel image;
    image.required = reader.require<bool>("required");
    image.url = reader.require<std::string>("url");
    image.onClick = reader.optional<AssetOnClick>("onClick");
    return image;
}

Json ImageAssetModel::encode() const {
    return JsonWriter().set("required", required).set("url", url).set("onClick", onClick).take();
}

}  // namespace solen
