#include "Ad/RenderEngine/Vast/Model/VastCompanionCreative.h"

namespace solen {

VastCompanionCreative VastCompanionCreative::fromAttributes(const VastAttributes::Map& attributes) {
    VastCompanionCreative r;
    r.width = VastAttributes::integer(attributes, "width").value_or(0);
    r.id = VastAttributes::text(attributes, "id");
    r.height = VastAttributes::text(attributes, "height");
    r.assetWidth = VastAttributes::text(attributes, "assetWidth");
    r.assetHeight = VastAttributes::text(attributes, "assetHeight");
    r.expandedWidth = VastAttributes::text(attributes, "expandedWidth");
    r.expandedHeight = VastAttributes::text(attributes, "expandedHeight");
    r.apiFramework = VastAttributes::text(attributes, "apiFramework");
    r.adSlotId = VastAttributes::text(attributes, "adSlotId");
    r.pxratio = VastAttributes::text(attributes, "pxratio");
    r.renderingMode = VastAttributes::text(attributes, "renderingMode");
    return r;
}

}  // namespace solen
