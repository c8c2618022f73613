#include "Ad/RenderEngine/Vast/Model/VastIcon.h"

#include "Ad/RenderEngine/Vast/Parser/VastDurationParser.h"

namespace solen {

VastIcon VastIcon::fromAttributes(const VastAttributes::Map& attributes) {
    VastIcon r;
    r.program = VastAttributes::text(attributes, "program");
    r.width = VastAttributes::text(attributes, "width");
    r.height = VastAttributes::text(attributes, "height");
    r.xPosition = VastAttributes::text(attributes, "xPosition");
    r.yPosition = VastAttributes::text(attributes, "yPosition");
    r.apiFramework = VastAttributes::text(attributes, "apiFramework");
    r.pxratio = VastAttributes::text(attributes, "pxratio");
    if (auto duration = VastAttributes::text(attributes, "duration")) {
        r.duration = parseVastDuration(*duration);
    }
    if (auto offset = VastAttributes::text(attributes, "offset")) {
        r.offset = parseVastDuration(*offset);
    }
    return r;
}

}  // namespace solen
