#pragma once

#include <solen/SolenExport.h>

namespace solen::platform {

// A width and height in points.
struct SOLEN_EXPORT Size {
    double width = 0;
    double height = 0;

    friend bool operator==(const Size&, const Size&) = default;
};

}  // namespace solen::platform
