#pragma once

namespace solen::platform {

// A width and height in points.
struct Size {
    double width = 0;
    double height = 0;

    friend bool operator==(const Size&, const Size&) = default;
};

}  // namespace solen::platform
