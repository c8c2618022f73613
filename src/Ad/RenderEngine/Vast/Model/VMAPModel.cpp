#include "Ad/RenderEngine/Vast/Model/VMAPModel.h"

namespace solen {

VMAPModel VMAPModel::fromAttributes(const VastAttributes::Map& attributes) {
    VMAPModel r;
    r.version = VastAttributes::text(attributes, "version").value_or("");
    return r;
}

}  // namespace solen
