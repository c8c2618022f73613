#include "Ad/RenderEngine/Native/Creative.h"

#include "Commons/Json/JsonWriter.h"

namespace solen {

Creative Creative::decode(const JsonReader& reader) {
    auto pubContent = PubContentModel::decode(reader.at("pubContent"));
    const auto markupType = requireIntegerCodedEnum<MarkupType>(reader, "markupType");
    auto creativeId = reader.optional<std::string>("creativeId");
    return Creative{std::move(pubContent), markupType, std::move(creativeId)};
}

Creative Creative::decode(std::string_view text) {
    return JsonReader::decode<Creative>(text);
}

Json Creative::encode() const {
    return JsonWriter()
        .set("pubContent", pubContent)
        .set("markupType", integerCodedEnumRaw(markupType))
        .set("creativeId", creativeId)
        .take();
}

}  // namespace solen
