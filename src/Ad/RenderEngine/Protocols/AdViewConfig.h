#pragma once

#include "Ad/RenderEngine/Protocols/AdsType.h"
#include <solen/ui/Rect.h>

namespace solen {

// The kind and the initial frame (points) of a rendered ad view; the web view starts with the
// same frame.
struct AdViewConfig {
    AdsType type = AdsType::banner;
    platform::Rect frame;

    friend bool operator==(const AdViewConfig&, const AdViewConfig&) = default;
};

}  // namespace solen
