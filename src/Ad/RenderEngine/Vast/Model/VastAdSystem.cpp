#include "Ad/RenderEngine/Vast/Model/VastAdSystem.h"

namespace solen {

VastAdSystem VastAdSystem::fromAttributes(const VastAttributes::Map& attributes) {
    VastAdSystem r;
    r.version = VastAttributes::text(attributes, "version");
    return r;
}

}  // namespace solen
