#pragma once

#include "Platform/UI/Layer.h"

#include <solen/ui/Color.h>
#include <solen/ui/Point.h>

#include <memory>
#include <vector>

namespace solen::platform {

// A layer that draws a linear gradient; points are in the unit square of the layer.
class GradientLayer : public Layer {
public:
    static std::shared_ptr<GradientLayer> create() { return std::make_shared<GradientLayer>(); }

    const std::vector<Color>& colors() const { return colors_; }
    void setColors(std::vector<Color> colors) { colors_ = std::move(colors); }
    const std::vector<double>& locations() const { return locations_; }
    void setLocations(std::vector<double> locations) { locations_ = std::move(locations); }
    Point startPoint() const { return startPoint_; }
    void setStartPoint(Point point) { startPoint_ = point; }
    Point endPoint() const { return endPoint_; }
    void setEndPoint(Point point) { endPoint_ = point; }

private:
    std::vector<Color> colors_;
    std::vector<double> locations_;
    Point startPoint_{0.5, 0};
    Point endPoint_{0.5, 1};
};

}  // namespace solen::platform
