#include "Ad/RenderEngine/Vast/Model/VastWrapper.h"

namespace solen {

VastWrapper VastWrapper::fromAttributes(const VastAttributes::Map& attributes) {
    VastWrapper r;
    r.followAdditionalWrappers = VastAttributes::boolean(attributes, "followAdditionalWrappers");
    r.allowMultipleAds = VastAttributes::boolean(attributes, "allowMultipleAds");
    r.fallbackOnNoAd = VastAttributes::boolean(attributes, "fallbackOnNoAd");
    return r;
}

}  // namespace solen
