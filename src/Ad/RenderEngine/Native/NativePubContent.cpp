#include "Ad/RenderEngine/Native/NativePubContent.h"

#include "Commons/Json/JsonWriter.h"

namespace solen {

NativePubContent NativePubContent::decode(const JsonReader& reader) {
    auto title = reader.require<LabelAssetModel>("title");
    auto description = reader.require<LabelAssetModel>("description");
    auto icon = reader.optional<ImageAssetModel>("icon");
    auto media = reader.require<MediaAssetModel>("media");
    auto sponsored = reader.require<LabelAssetModel>("sponsored");
    auto rating = reader.optional<LabelAssetModel>("rating");
    auto cta = reader.optional<LabelAssetModel>("cta");
    auto adChoices = reader.optional<ImageAssetModel>("adChoices");
    auto onClick = reader.optional<AssetOnClick>("onClick");
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
