#include "Ad/RenderEngine/Native/LabelAssetModel.h"

#include "Commons/Json/JsonWriter.h"

namespace solen {

LabelAssetModel LabelAssetModel::decode(const JsonReader& reader) {
    LabelAssetModel label;
    label.required = reader.require<bool>("required");
    label.value = reader.require<std::string>("value");
    label.onClick = reader.optional<AssetOnClick>("onClick");
    return label;
}

Json LabelAssetModel::encode() const {
    return JsonWriter().set("required", required).set("value", value).set("onClick", onClick).take();
}

}  // namespace solen
