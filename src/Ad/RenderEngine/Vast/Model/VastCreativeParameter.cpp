#include "Ad/RenderEngine/Vast/Model/VastCreativeParameter.h"

namespace solen {

VastCreativeParameter VastCreativeParameter::fromAttributes(const VastAttributes::Map& attributes) {
    VastCreativeParameter r;
    r.creativeId = VastAttributes::text(attributes, "creativeId");
    r.name = VastAttributes::text(attributes, "name");
    r.type = VastAttributes::text(attributes, "type");
    return r;
}

}  // namespace solen
