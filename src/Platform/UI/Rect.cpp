#include <solen/ui/Rect.h>

#include <algorithm>
#include <cmath>

namespace solen::platform {

Rect Rect::standardized() const {
    Rect r = *this;
    if (r.size.width < 0) {
        r.origin.x += r.size.width;
        r.size.width = -r.size.width;
    }
    if (r.size.height < 0) {
        r.origin.y += r.size.height;
        r.size.height = -r.size.height;
    }
    return r;
}

double Rect::minX() const { return standardized().origin.x; }
double Rect::minY() const { return standardized().origin.y; }
double Rect::maxX() const { return minX() + width(); }
double Rect::maxY() const { return minY() + height(); }
double Rect::width() const { return std::fabs(size.width); }
double Rect::height() const { return std::fabs(size.height); }

bool Rect::isEmpty() const {
    return !(width() > 0) || !(height() > 0);
}

std::optional<Rect> Rect::intersection(const Rect& other) const {
    if (isEmpty() || other.isEmpty()) {
        return std::nullopt;
    }
    const double left = std::max(minX(), other.minX());
    const double top = std::max(minY(), other.minY());
    const double right = std::min(maxX(), other.maxX());
    const double bottom = std::min(maxY(), other.maxY());
    if (!(right > left) || !(bottom > top)) {
        return std::nullopt;
    }
    return Rect(left, top, right - left, bottom - top);
}

bool Rect::contains(Point point) const {
    return !isEmpty() && point.x >= minX() && point.x < maxX() && point.y >= minY() && point.y < maxY();
}

}  // namespace solen::platform
