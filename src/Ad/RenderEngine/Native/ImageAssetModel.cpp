#include "Ad/RenderEngine/Native/ImageAssetModel.h"

#include "Commons/Json/JsonFields.h"
#include "Commons/Json/JsonWriter.h"

namespace solen {
namespace {

constexpr JsonKeys kKeys{"required", "url", "onClick"};

}  // namespace

ImageAssetModel ImageAssetModel::decode(const JsonReader& reader) {
    const JsonFields<kKeys> fields(reader);
    ImageAssetModel image;
    image.required = fields.require<bool>("required");
    image.url = fields.require<std::string>("url");
    image.onClick = fields.optional<AssetOnClick>("onClick");
    return image;
}

Json ImageAssetModel::encode() const {
    return JsonWriter().set("required", required).set("url", url).set("onClick", onClick).take();
}

}  // namespace solen
