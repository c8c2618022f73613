#include "Ad/RenderEngine/Native/Creative.h"

#include "Commons/Json/JsonFields.h"
#include "Commons/Json/JsonWriter.h"

namespace solen {
namespace {

constexpr JsonKeys kKeys{"pubContent", "markupType", "creativeId"};

}  // namespace

Creative Creative::decode(const JsonReader& reader) {
    const JsonFields<kKeys> fields(reader);
    auto pubContent = PubContentModel::decode(fields.at("pubContent"));
    const auto markupType = decodeIntegerCodedEnum<MarkupType>(fields.at("markupType"));
    auto creativeId = fields.optional<std::string>("creativeId");
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
