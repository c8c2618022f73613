#pragma once

namespace solen::platform {

// A point in a view's coordinate space, in points.
struct Point {
    double x = 0;
    double y = 0;

    friend bool operator==(const Point&, const Point&) = default;
};

}  // namespace solen::platform
