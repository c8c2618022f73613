#include "Ad/RenderEngine/Vast/Model/VastUniversalAdId.h"

namespace solen {

VastUniversalAdId VastUniversalAdId::fromAttributes(const VastAttributes::Map& attributes) {
    VastUniversalAdId r;
    r.idRegistry = VastAttributes::text(attributes, "idRegistry");
    r.idValue = VastAttributes::text(attributes, "idValue");
    return r;
}

}  // namespace solen
