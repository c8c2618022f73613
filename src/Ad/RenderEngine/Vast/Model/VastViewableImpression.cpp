#include "Ad/RenderEngine/Vast/Model/VastViewableImpression.h"

namespace solen {

VastViewableImpression VastViewableImpression::fromAttributes(const VastAttributes::Map& attributes) {
    VastViewableImpression r;
    r.id = VastAttributes::text(attributes, "id");
    return r;
}

}  // namespace solen
