#include "Platform/UI/GraphicsContext.h"

namespace solen::platform {

namespace {
GraphicsContext* currentContext = nullptr;
}  // namespace

GraphicsContext* GraphicsContext::current() { return currentContext; }

std::vector<GraphicsContext::Operation> GraphicsContext::record(const std::function<void()>& draw) {
    GraphicsContext context;
    GraphicsContext* const outer = currentContext;
    currentContext = &context;
    struct Restore {
        GraphicsContext* outer;
        ~Restore() { currentContext = outer; }
    } restore{outer};
    if (draw) {
        draw();
    }
    return std::move(context.operations_);
}

void GraphicsContext::addLineTo(Point point) {
    path_.emplace_back(pen_, point);
    pen_ = point;
}

void GraphicsContext::strokePath() {
    for (const auto& [from, to] : path_) {
        operations_.push_back(StrokeLine{from, to, lineWidth_, stroke_});
    }
    path_.clear();
}

}  // namespace solen::platform
