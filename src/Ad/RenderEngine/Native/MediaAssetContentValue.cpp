#include "Ad/RenderEngine/Native/MediaAssetContentValue.h"

namespace solen {

MediaAssetContentValue MediaAssetContentValue::decode(const JsonReader& reader) {
    try {
        return MediaAssetContentValue(reader.as<ImageAssetModel>());
    } catch (const JsonDecodingError&) {
    }
    try {
        return MediaAssetContentValue(reader.as<MediaAssetVideoContentModel>());
    } catch (const JsonDecodingError&) {
    }
    reader.reject("Wrong type for MediaAssetContentValue", JsonDecodingError::Kind::typeMismatch,
                  "MediaAssetContentValue");
}

Json MediaAssetContentValue::encode() const {
    return std::visit([](const auto& content) { return content.encode(); }, value_);
}

}  // namespace solen
