#include "Ad/RenderEngine/Vast/Model/VastExtension.h"

namespace solen {

VastExtension VastExtension::fromAttributes(const VastAttributes::Map& attributes) {
    VastExtension r;
    r.type = VastAttributes::text(attributes, "type");
    return r;
}

}  // namespace solen
