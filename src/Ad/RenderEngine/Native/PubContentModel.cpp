#include "Ad/RenderEngine/Native/PubContentModel.h"

namespace solen {

PubContentModel PubContentModel::decode(const JsonReader& reader) {
    if (reader.isString()) {
        return PubContentModel(reader.asString());
    }
    try {
        return PubContentModel(reader.as<NativePubContent>());
    } catch (const JsonDecodingError&) {
    }
    reader.reject("Wrong type for PubContentModel", JsonDecodingError::Kind::typeMismatch, "PubContentModel");
}

Json PubContentModel::encode() const {
    if (const auto* markup = encodedAdMarkupString()) {
        return Json(*markup);
    }
    return std::get<NativePubContent>(value_).encode();
}

}  // namespace solen
