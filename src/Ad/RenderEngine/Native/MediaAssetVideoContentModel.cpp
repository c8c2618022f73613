#include "Ad/RenderEngine/Native/MediaAssetVideoContentModel.h"

#include "Commons/Json/JsonWriter.h"

namespace solen {

MediaAssetVideoContentModel MediaAssetVideoContentModel::decode(const JsonReader& reader) {
    MediaAssetVideoContentModel video;
    video.required = reader.require<bool>("required");
    video.vastXml = reader.require<std::string>("vastXml");
    video.onClick = reader.optional<AssetOnClick>("onClick");
    video.videoPlayerControls = reader.require<VideoPlayerControlsModel>("videoPlayerControls");
    return video;
}

Json MediaAssetVideoContentModel::encode() const {
    return JsonWriter()
        .set("required", required)
        .set("vastXml", vastXml)
        .set("onClick", onClick)
        .set("videoPlayerControls", videoPlayerControls)
        .take();
}

}  // namespace solen
