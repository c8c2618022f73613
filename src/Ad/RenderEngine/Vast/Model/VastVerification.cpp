#include "Ad/RenderEngine/Vast/Model/VastVerification.h"

namespace solen {

VastVerification VastVerification::fromAttributes(const VastAttributes::Map& attributes) {
    VastVerification r;
    r.vendor = VastAttributes::text(attributes, "vendor");
    return r;
}

}  // namespace solen
