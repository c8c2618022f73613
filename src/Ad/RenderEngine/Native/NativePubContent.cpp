#include "Ad/RenderEngine/Native/NativePubContent.h"

#include "Commons/Json/JsonFields.h"
#include "Commons/Json/JsonWriter.h"

namespace solen {
namespace {

constexpr JsonKeys kKeys{"title", "description", "icon", "media", "sponsored", "rating", "cta", "adChoices", "onClick"};

}  // namespace

NativePubContent NativePubContent::decode(const JsonReader& reader) {
    const JsonFields<kKeys> fields(reader);
    auto title = fields.require<LabelAssetModel>("title");
    auto description = fields.require<LabelAssetModel>("description");
    auto icon = fields.optional<ImageAssetModel>("icon");
    auto media = fields.require<MediaAssetModel>("media");
    auto sponsored = fields.require<LabelAssetModel>("sponsored");
    auto rating = fields.optional<LabelAssetModel>("rating");
    auto cta = fields.optional<LabelAssetModel>("cta");
    auto adChoices = fields.optional<ImageAssetModel>("adChoices");
    auto onClick = fields.optional<AssetOnClick>("onClick");
    return NativePubContent{std::move(title),  std::move(description), std::move(icon),
                            std::move(media),  std::move(sponsored),   std::move(rating),
                            std::move(cta),    std::move(adChoices),   std::move(onClick)};
}

Json NativePubContent::encode() const {
    return JsonWriter()
        .set("title", title)
        .set("description", description)
        .set("icon", icon)
        .set("media", media)
        .set("sponsored", sponsored)
        .set("rating", rating)
        .set("cta", cta)
        .set("adChoices", adChoices)
        .set("onClick", onClick)
        .take();
}

}  // namespace solen
