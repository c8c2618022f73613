#include "Ad/RenderEngine/Vast/Model/VastAdCategory.h"

namespace solen {

VastAdCategory VastAdCategory::fromAttributes(const VastAttributes::Map& attributes) {
    VastAdCategory r;
    r.authority = VastAttributes::text(attributes, "authority");
    return r;
}

}  // namespace solen
