#include "Ad/RenderEngine/Vast/Model/VastIconClickTracking.h"

namespace solen {

VastIconClickTracking VastIconClickTracking::fromAttributes(const VastAttributes::Map& attributes) {
    VastIconClickTracking r;
    r.id = VastAttributes::text(attributes, "id");
    return r;
}

}  // namespace solen
