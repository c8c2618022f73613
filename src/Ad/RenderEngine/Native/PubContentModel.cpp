#include "Ad/RenderEngine/Native/PubContentModel.h"

namespace solen {

PubContentModel PubContentModel::decode(const JsonReader& reader) {
    if (reader.value().is_string()) {
        return PubContentModel(reader.asString());
    }
    try {
        return PubContentModel(reader.as<NativePubContent>());
    } catch (const JsonDecodingError&) {
    }
    JsonReader::fail(reader.path(), "Wrong type for PubContentModel");
}

Json PubContentModel::encode() const {
    if (const auto* markup = encodedAdMarkupString()) {
        return Json(*markup);
    }
    return std::get<NativePubContent>(value_).encode();
}

}  // namespace solen
