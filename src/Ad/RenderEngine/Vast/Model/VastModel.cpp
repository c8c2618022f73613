#include "Ad/RenderEngine/Vast/Model/VastModel.h"

namespace solen {

VastModel VastModel::fromAttributes(const VastAttributes::Map& attributes) {
    VastModel r;
    r.version = VastAttributes::text(attributes, "version").value_or("");
    return r;
}

}  // namespace solen
