#include "Ad/RenderEngine/Native/VideoPlayerControlsModel.h"

#include "Commons/Json/JsonWriter.h"

namespace solen {

VideoPlayerControlsModel VideoPlayerControlsModel::decode(const JsonReader& reader) {
    return VideoPlayerControlsModel{reader.require<bool>("mute"), reader.require<bool>("autoPlay")};
}

Json VideoPlayerControlsModel::encode() const { return JsonWriter().set("mute", mute).set("autoPlay", autoPlay).take(); }

}  // namespace solen
