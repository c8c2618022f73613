#pragma once

#include <solen/SolenExport.h>

namespace solen::platform {

// A point in a view's coordinate space, in points.
struct SOLEN_EXPORT Point {
    double x = 0;
    double y = 0;

    friend bool operator==(const Point&, const Point&) = default;
};

}  // namespace solen::platform
