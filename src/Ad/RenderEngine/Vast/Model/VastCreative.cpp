#include "Ad/RenderEngine/Vast/Model/VastCreative.h"

namespace solen {

VastCreative VastCreative::fromAttributes(const VastAttributes::Map& attributes) {
    VastCreative r;
    r.id = VastAttributes::text(attributes, "id");
    r.adId = VastAttributes::text(attributes, "adId");
    r.sequence = VastAttributes::integer(attributes, "sequence");
    r.apiFramework = VastAttributes::text(attributes, "apiFramework");
    return r;
}

}  // namespace solen
