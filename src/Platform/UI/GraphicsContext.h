#pragma once

#include <solen/ui/Color.h>
#include <solen/ui/Point.h>
#include <solen/ui/Rect.h>

#include <functional>
#include <variant>
#include <vector>

namespace solen::platform {

// A drawing context that records what is drawn instead of making pixels, so views' drawing can
// be read back. There is a current context only inside a drawing pass (`record`); outside one,
// `current()` is null and views draw nothing. Main thread only.
class GraphicsContext {
public:
    struct FillEllipse {
        Rect rect;
        Color color;
        friend bool operator==(const FillEllipse&, const FillEllipse&) = default;
    };
    struct StrokeLine {
        Point from;
        Point to;
        double width;
        Color color;
        friend bool operator==(const StrokeLine&, const StrokeLine&) = default;
    };
    using Operation = std::variant<FillEllipse, StrokeLine>;

    // The context of the drawing pass under way, or null.
    static GraphicsContext* current();
    // Runs `draw` as one drawing pass and returns what it drew. Passes nest.
    static std::vector<Operation> record(const std::function<void()>& draw);

    void setFillColor(Color color) { fill_ = color; }
    void setStrokeColor(Color color) { stroke_ = color; }
    void setLineWidth(double width) { lineWidth_ = width; }
    void fillEllipse(Rect rect) { operations_.push_back(FillEllipse{rect, fill_}); }
    // Path of lines, drawn by strokePath with the stroke colour and line width at that moment.
    void moveTo(Point point) { pen_ = point; }
    void addLineTo(Point point);
    void strokePath();

private:
    Color fill_ = Color::black();
    Color stroke_ = Color::black();
    double lineWidth_ = 1;
    Point pen_;
    std::vector<std::pair<Point, Point>> path_;
    std::vector<Operation> operations_;
};

}  // namespace solen::platform
