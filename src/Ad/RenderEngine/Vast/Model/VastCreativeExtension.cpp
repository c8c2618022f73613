#include "Ad/RenderEngine/Vast/Model/VastCreativeExtension.h"

namespace solen {

VastCreativeExtension VastCreativeExtension::fromAttributes(const VastAttributes::Map& attributes) {
    VastCreativeExtension r;
    r.mimeType = VastAttributes::text(attributes, "type");
    return r;
}

}  // namespace solen
