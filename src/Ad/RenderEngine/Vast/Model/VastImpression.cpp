#include "Ad/RenderEngine/Vast/Model/VastImpression.h"

namespace solen {

VastImpression VastImpression::fromAttributes(const VastAttributes::Map& attributes) {
    VastImpression r;
    r.id = VastAttributes::text(attributes, "id");
    return r;
}

}  // namespace solen
