#pragma once

#include <solen/SolenExport.h>
#include <solen/ui/Point.h>
#include <solen/ui/Size.h>

#include <optional>

namespace solen::platform {

// A rectangle given by its origin and size. A negative width or height is allowed and is
// read as extending left or up from the origin, as the platform's geometry does.
struct SOLEN_EXPORT Rect {
    Point origin;
    Size size;

    Rect() = default;
    Rect(Point origin, Size size) : origin(origin), size(size) {}
    Rect(double x, double y, double width, double height) : origin{x, y}, size{width, height} {}

    double minX() const;
    double minY() const;
    double maxX() const;
    double maxY() const;
    double width() const;   // absolute width
    double height() const;  // absolute height
    bool isEmpty() const;   // zero or no area

    // The same rectangle with a non-negative width and height.
    Rect standardized() const;
    // The common part of two rectangles; none when they do not overlap with a positive area.
    std::optional<Rect> intersection(const Rect& other) const;
    bool intersects(const Rect& other) const { return intersection(other).has_value(); }
    bool contains(Point point) const;

    friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace solen::platform
