#include "Ad/RenderEngine/Vast/Model/VastInteractiveCreativeFile.h"

namespace solen {

VastInteractiveCreativeFile VastInteractiveCreativeFile::fromAttributes(const VastAttributes::Map& attributes) {
    VastInteractiveCreativeFile r;
    r.type = VastAttributes::text(attributes, "type");
    r.apiFramework = VastAttributes::text(attributes, "apiFramework");
    return r;
}

}  // namespace solen
