#include "Ad/RenderEngine/Vast/Model/VastMediaFile.h"

namespace solen {

VastMediaFile VastMediaFile::fromAttributes(const VastAttributes::Map& attributes) {
    VastMediaFile r;
    r.id = VastAttributes::text(attributes, "id");
    r.delivery = VastAttributes::text(attributes, "delivery");
    r.type = VastAttributes::text(attributes, "type");
    r.width = VastAttributes::text(attributes, "width");
    r.height = VastAttributes::text(attributes, "height");
    r.codec = VastAttributes::text(attributes, "codec");
    r.bitrate = VastAttributes::text(attributes, "bitrate");
    r.minBitrate = VastAttributes::text(attributes, "minBitrate");
    r.maxBitrate = VastAttributes::text(attributes, "maxBitrate");
    r.scalable = VastAttributes::text(attributes, "scalable");
    r.maintainAspectRatio = VastAttributes::text(attributes, "maintainAspectRatio");
    r.apiFramework = VastAttributes::text(attributes, "apiFramework");
    r.fileSize = VastAttributes::text(attributes, "fileSize");
    r.mediaType = VastAttributes::text(attributes, "mediaType");
    return r;
}

}  // namespace solen
