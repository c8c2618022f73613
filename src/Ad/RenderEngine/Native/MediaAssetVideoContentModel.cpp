#include "Ad/RenderEngine/Native/MediaAssetVideoContentModel.h"

#include "Commons/Json/JsonFields.h"
#include "Commons/Json/JsonWriter.h"

namespace solen {
namespace {

constexpr JsonKeys kKeys{"required", "vastXml", "onClick", "videoPlayerControls"};

}  // namespace

MediaAssetVideoContentModel MediaAssetVideoContentModel::decode(const JsonReader& reader) {
    const JsonFields<kKeys> fields(reader);
    MediaAssetVideoContentModel video;
    video.required = fields.require<bool>("required");
    video.vastXml = fields.require<std::string>("vastXml");
    video.onClick = fields.optional<AssetOnClick>("onClick");
    video.videoPlayerControls = fields.require<VideoPlayerControlsModel>("videoPlayerControls");
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
