#include "Ad/RenderEngine/Vast/Model/VastStaticResource.h"

namespace solen {

VastStaticResource VastStaticResource::fromAttributes(const VastAttributes::Map& attributes) {
    VastStaticResource r;
    r.creativeType = VastAttributes::text(attributes, "creativeType").value_or("");
    return r;
}

}  // namespace solen
