#include "Ad/RenderEngine/Vast/Model/VastResource.h"

namespace solen {

VastResource VastResource::fromAttributes(const VastAttributes::Map& attributes) {
    VastResource r;
    r.apiFramework = VastAttributes::text(attributes, "apiFramework");
    return r;
}

}  // namespace solen
