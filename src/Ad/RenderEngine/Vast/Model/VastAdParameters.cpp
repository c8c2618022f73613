#include "Ad/RenderEngine/Vast/Model/VastAdParameters.h"

namespace solen {

VastAdParameters VastAdParameters::fromAttributes(const VastAttributes::Map& attributes) {
    VastAdParameters r;
    r.xmlEncoded = VastAttributes::boolean(attributes, "xmlEncoded");
    return r;
}

}  // namespace solen
