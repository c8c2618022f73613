#include "Ad/RenderEngine/Vast/Model/VastNonLinear.h"

namespace solen {

VastNonLinear VastNonLinear::fromAttributes(const VastAttributes::Map& attributes) {
    VastNonLinear r;
    r.id = VastAttributes::text(attributes, "id");
    r.width = VastAttributes::text(attributes, "width");
    r.height = VastAttributes::text(attributes, "height");
    return r;
}

}  // namespace solen
