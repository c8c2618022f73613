#pragma once

namespace solen {

// How much of a view must be inside its window to count as visible: a minimum visible area in
// square points, or a minimum fraction (0 to 1) of the view's own area.
struct ViewVisibilityTrackingMode {
    enum class Kind { pixels, percentage };

    Kind kind = Kind::pixels;
    double value = 0;

    static ViewVisibilityTrackingMode pixels(double area) { return {Kind::pixels, area}; }
    static ViewVisibilityTrackingMode percentage(double fraction) { return {Kind::percentage, fraction}; }

    friend bool operator==(const ViewVisibilityTrackingMode&, const ViewVisibilityTrackingMode&) = default;
};

}  // namespace solen
