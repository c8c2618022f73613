#include "Ad/RenderEngine/Native/LabelAssetModel.h"

#include "Commons/Json/JsonFields.h"
#include "Commons/Json/JsonWriter.h"

namespace solen {
namespace {

constexpr JsonKeys kKeys{"required", "value", "onClick"};

}  // namespace

LabelAssetModel LabelAssetModel::decode(const JsonReader& reader) {
    const JsonFields<kKeys> fields(reader);
    LabelAssetModel label;
    label.required = fields.require<bool>("required");
    label.value = fields.require<std::string>("value");
    label.onClick = fields.optional<AssetOnClick>("onClick");
    return label;
}

Json LabelAssetModel::encode() const {
    return JsonWriter().set("required", required).set("value", value).set("onClick", onClick).take();
}

}  // namespace solen
