#include "Ad/RenderEngine/Vast/Model/VastSurvey.h"

namespace solen {

VastSurvey VastSurvey::fromAttributes(const VastAttributes::Map& attributes) {
    VastSurvey r;
    r.type = VastAttributes::text(attributes, "type");
    return r;
}

}  // namespace solen
